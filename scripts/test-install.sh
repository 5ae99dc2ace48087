#!/usr/bin/env bash
# What a host builds against: installs a build (default build/release) into a temporary prefix, builds the example
# host (examples/linear_unit) against it through its CMake package and through pkg-config, runs both and imports the
# installed Python package; then makes the Debian package with CPack, unpacks it into another folder and does the same
# against that. Exits non-zero at the first failure.
#   test-install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build/release}")"
example="$(pwd)/examples/linear_unit"
expected="5 Meters"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export TAVI_REGISTRY="$work/registry.db" TAVI_LOCALE=en_US

# Runs the example program $1 with the library of prefix $2 and checks what it prints.
check_output() {
  local got
  got="$(LD_LIBRARY_PATH="$2/lib:$2/lib/$(gcc -print-multiarch)" "$1")"
  if [[ "$got" != "$expected" ]]; then
    echo "test-install: $1 printed '$got', expected '$expected'" >&2
    exit 1
  fi
}

# Builds the example against prefix $1 both ways into folder $2 and runs both.
build_example() {
  local prefix="$1" out="$2"
  cmake -S "$example" -B "$out/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
  cmake --build "$out/cmake" > /dev/null
  check_output "$out/cmake/linear_unit" "$prefix"
  local pc
  pc="$(dirname "$(find "$prefix" -name taviGeoprocessing.pc | head -n 1)")"
  # shellcheck disable=SC2046 # the flags are separate words
  g++ -o "$out/pkg-config-linear_unit" "$example/main.cpp" $(PKG_CONFIG_PATH="$pc" pkg-config --cflags --libs taviGeoprocessing)
  check_output "$out/pkg-config-linear_unit" "$prefix"
  # The Python package finds the library beside it without help.
  local got
  got="$(cd "$out" && LD_LIBRARY_PATH="" PYTHONPATH="$prefix/lib/python3/dist-packages" /usr/bin/python3 -c \
    'import tavi; unit = tavi.create("GPLinearUnit"); unit.SetAsText("5 meters"); print(unit)')"
  if [[ "$got" != "$expected" ]]; then
    echo "test-install: the Python package of $prefix printed '$got', expected '$expected'" >&2
    exit 1
  fi
}

echo "-- install into a prefix"
cmake --install "$build" --prefix "$work/prefix" > /dev/null
soname="$(objdump -p "$(find "$work/prefix" -name 'libtaviGeoprocessing.so.*.*' | head -n 1)" | awk '/SONAME/ {print $2}')"
if [[ "$soname" != libtaviGeoprocessing.so.[0-9]* ]]; then
  echo "test-install: the library's soname is '$soname'" >&2
  exit 1
fi
build_example "$work/prefix" "$work/from-prefix"
# grep reads the whole output (no -q): a reader that stops early would end the writer with SIGPIPE, and pipefail
# would count that as a failure.
LD_LIBRARY_PATH="" "$work/prefix/bin/tavigp" value GPLinearUnit "5 meters" | grep -x "$expected" >/dev/null

echo "-- the Debian package"
(cd "$build" && cpack -G DEB > /dev/null)
package="$(ls "$build"/packages/tavigeoprocessing_*.deb | head -n 1)"
dpkg-deb --info "$package" | grep "Depends:.*libgdal" >/dev/null
dpkg-deb -x "$package" "$work/unpacked"
build_example "$work/unpacked/usr" "$work/from-package"
echo "test-install: the example host builds and runs against the installed tree and the package ($soname)"
