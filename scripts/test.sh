#!/usr/bin/env bash
# Every test on a fresh machine: installs what is missing, checks the formatting of every source and that the source
# folders include one another's headers in one direction only, then
#   1. builds and runs the whole suite and the Python package's tests, then installs the build, makes its Debian
#      package and builds the example host against both (and imports the Python package from both),
#   2. builds and runs it again under AddressSanitizer and UndefinedBehaviorSanitizer,
#   3. builds the concurrency tests under ThreadSanitizer and runs them,
#   4. builds the fuzz targets with clang and runs each briefly on its seed corpus.
# Stops at the first failure with a non-zero exit status.
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds="${TAVI_FUZZ_SECONDS:-10}"
jobs="${TAVI_JOBS:-$(nproc)}"

bash scripts/setup.sh

echo "== formatting (.clang-format)"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== layering (scripts/check-layers.sh)"
bash scripts/check-layers.sh

echo "== tests"
bash scripts/build.sh release
ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== the Python package (python/tests)"
PYTHONPATH=build/release/python /usr/bin/python3 -m pytest -q python/tests

echo "== install, package and the example host (scripts/test-install.sh)"
bash scripts/test-install.sh build/release

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
bash scripts/build.sh sanitize
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

echo "== concurrency tests under ThreadSanitizer"
TAVI_TARGETS="test_RepositorySyncTest test_GPUtilitiesTest test_MemoryWorkspaceTest" bash scripts/build.sh thread
# Only the programs built above: the placeholders of the others would count as failures.
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --test-dir build/thread --output-on-failure -j "$jobs" \
  -R '^(RepositorySyncTest|GPUtilitiesTest|ThreadCapsuleTest|MemoryWorkspace)\.'

echo "== fuzz targets, ${fuzz_seconds}s each"
bash scripts/build.sh fuzz
shopt -s nullglob
for target in build/fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name="$(basename "$target")"
  corpus="fuzz/corpus/$name"
  work="$(mktemp -d)"
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  echo "-- $name"
  # The whole log is kept so that a finding shows its report, not only the statistics that close it.
  log="$(mktemp)"
  status=0
  TAVI_REGISTRY="$work/registry.db" "$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work" > "$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    grep -v '^#[0-9]' "$log" | tail -n 80
    echo "$name found a fault (exit status $status)" >&2
    exit "$status"
  fi
  tail -n 3 "$log"
  rm -rf "$work" "$log"
done
echo "== all tests passed"
