#!/usr/bin/env bash
# Checks that the source folders depend one way: a file in src/<folder>/ includes headers of its own folder and of
# the folders before it in the layer order below, never of a folder after it. Prints file:line for every include
# that runs upward and exits 1; exits 0 when there is none.
#   check-layers.sh [ROOT]   (default: the repository this script is in)
# A folder of src/ that the order does not name fails too, so that a new folder gets its place here and in
# CMakeLists.txt, whose folder libraries are declared in the same order.
set -euo pipefail

# The layer order, lowest first.
layers=(platform host data frame values domains catalogue services module)

root="${1:-$(dirname "$0")/..}"
cd "$root"

declare -A rank
for i in "${!layers[@]}"; do
  rank[${layers[$i]}]=$i
done

failed=0
for dir in src/*/; do
  folder="$(basename "$dir")"
  if [[ -z "${rank[$folder]+set}" ]]; then
    echo "src/$folder: no place in the layer order of scripts/check-layers.sh" >&2
    failed=1
    continue
  fi
  # file:line:#include "other/..." for every include of a header of a source folder.
  while IFS= read -r hit; do
    [[ -n "$hit" ]] || continue
    included="${hit#*#include \"}"
    included="${included%%/*}"
    # Headers outside the source folders (tavi/ of include/) belong to no layer.
    [[ -n "${rank[$included]+set}" ]] || continue
    if ((rank[$included] > rank[$folder])); then
      echo "${hit%%:#*}: $folder includes a header of $included, a later layer" >&2
      failed=1
    fi
  done < <(grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "src/$folder" |
             sed -E 's/:[[:space:]]*#[[:space:]]*include[[:space:]]*"/:#include "/' || true)
  # A relative include could reach another folder past this check.
  if grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"\.\./' "src/$folder" >&2; then
    echo "src/$folder: relative includes above the folder (include \"folder/...\" from src/ instead)" >&2
    failed=1
  fi
done

# The build declares the folder libraries in the same order.
if [[ -f CMakeLists.txt ]]; then
  declared="$(sed -nE 's/^tavi_folder_library\(tavi_[A-Za-z_]+ ([A-Za-z_]+) .*/\1/p' CMakeLists.txt | tr '\n' ' ')"
  if [[ "$declared" != "${layers[*]} " ]]; then
    echo "CMakeLists.txt declares the folder libraries in the order: $declared" >&2
    echo "scripts/check-layers.sh has the order: ${layers[*]}" >&2
    failed=1
  fi
fi

if ((failed)); then
  echo "layer check failed" >&2
  exit 1
fi
echo "layers: every include runs downward (${layers[*]})"
