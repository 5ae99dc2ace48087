#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   build.sh [release|sanitize|thread|fuzz]   (default release), into build/<flavour>
# TAVI_TARGETS="a b" builds only those targets (the thread flavour builds the concurrency tests only).
set -euo pipefail
cd "$(dirname "$0")/.."

flavour="${1:-release}"
jobs="${TAVI_JOBS:-$(nproc)}"
case "$flavour" in
  release)  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  sanitize) options=(-DCMAKE_BUILD_TYPE=Debug -DTAVI_SANITIZE=ON -DTAVI_BENCH=OFF) ;;
  thread)   options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVI_BENCH=OFF -DCMAKE_CXX_FLAGS=-fsanitize=thread
                     -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread) ;;
  fuzz)     options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVI_FUZZ=ON
                     -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "usage: build.sh [release|sanitize|thread|fuzz]" >&2; exit 2 ;;
esac

cmake -S . -B "build/$flavour" -G Ninja "${options[@]}" >/dev/null
targets=()
for target in ${TAVI_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "build/$flavour" -j "$jobs" "${targets[@]}"
