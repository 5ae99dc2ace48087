#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   build.sh [release|sanitize|fuzz]   (default release), into build/<flavour>
set -euo pipefail
cd "$(dirname "$0")/.."

flavour="${1:-release}"
jobs="${TAVI_JOBS:-$(nproc)}"
case "$flavour" in
  release)  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  sanitize) options=(-DCMAKE_BUILD_TYPE=Debug -DTAVI_SANITIZE=ON -DTAVI_BENCH=OFF) ;;
  fuzz)     options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVI_FUZZ=ON
                     -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "usage: build.sh [release|sanitize|fuzz]" >&2; exit 2 ;;
esac

cmake -S . -B "build/$flavour" -G Ninja "${options[@]}" >/dev/null
cmake --build "build/$flavour" -j "$jobs"
