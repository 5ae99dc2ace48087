#!/usr/bin/env bash
# The layer check: passes on the sources as they are, and on a small tree fails with file:line for an include that
# runs upward, for a folder the order does not name, for a relative include out of a folder, for a host folder
# (the bridge) that reaches past the platform or a layer that includes the bridge, and for a build that declares its
# folder libraries in another order.
#   check-layers-test.sh REPOSITORY
set -uo pipefail
repo="$(cd "$1" && pwd)"
check="$repo/scripts/check-layers.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

expect() { # expect STATUS PATTERN TREE: the check on TREE exits with STATUS and prints PATTERN
  local status="$1" pattern="$2" tree="$3" out rc
  out="$(bash "$check" "$tree" 2>&1)"
  rc=$?
  if [[ "$rc" != "$status" ]] || ! grep -qE -- "$pattern" <<<"$out"; then
    echo "FAIL: expected status $status and /$pattern/, got $rc:" >&2
    echo "$out" >&2
    failures=$((failures + 1))
  fi
}

# A tree whose includes all run downward, declared in the repository's order.
fresh() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree/src/platform" "$work/tree/src/host" "$work/tree/src/frame"
  cp "$repo/CMakeLists.txt" "$work/tree/"
  printf '#pragma once\n' >"$work/tree/src/platform/Base.h"
  printf '#pragma once\n#include "platform/Base.h"\n#include "tavi/Unknown.h"\n' >"$work/tree/src/host/Host.h"
  printf '#include "host/Host.h"\n#include "frame/Frame.h"\n#include <vector>\n' >"$work/tree/src/frame/Frame.cpp"
}

expect 0 'every include runs downward' "$repo"

fresh
expect 0 'every include runs downward' "$work/tree"

fresh
printf 'int x;\n  #  include "frame/Frame.h"\n' >>"$work/tree/src/host/Host.h"
expect 1 '^src/host/Host.h:5: host includes a header of frame' "$work/tree"

fresh
printf '#include "module/Exports.h"\n' >"$work/tree/src/platform/Up.cpp"
expect 1 '^src/platform/Up.cpp:1: platform includes a header of module' "$work/tree"

fresh
mkdir "$work/tree/src/widgets"
expect 1 '^src/widgets: no place in the layer order' "$work/tree"

fresh
printf '#include "../values/Value.h"\n' >"$work/tree/src/host/Sneak.cpp"
expect 1 'relative includes above the folder' "$work/tree"

# The bridge, a host of the library, sees the platform and the public headers only; no layer sees the bridge.
fresh
mkdir "$work/tree/src/bridge"
printf '#include "bridge/Own.h"\n#include "platform/Base.h"\n#include "tavi/Unknown.h"\n' >"$work/tree/src/bridge/Ok.cpp"
expect 0 'every include runs downward' "$work/tree"
printf '#include "host/Host.h"\n' >"$work/tree/src/bridge/Deep.cpp"
expect 1 '^src/bridge/Deep.cpp:1: bridge, a host of the library, includes a header of host' "$work/tree"

fresh
mkdir "$work/tree/src/bridge"
printf '#include "bridge/Binding.h"\n' >"$work/tree/src/frame/Back.cpp"
expect 1 '^src/frame/Back.cpp:1: frame includes a header of bridge' "$work/tree"

fresh
sed -i -E '/^tavi_folder_library\(tavi_data /d' "$work/tree/CMakeLists.txt"
expect 1 'declares the folder libraries in the order' "$work/tree"

if ((failures)); then
  echo "$failures layer check case(s) failed" >&2
  exit 1
fi
echo "layer check cases passed"
