# What the command-line test scripts share: a scratch folder with a registry store of its own, pass/fail counting
# and the checks. Sourced after setting `tavigp`; `finish` ends the script with the verdict.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A store of the run's own, so that nothing left by an earlier run changes what this one sees.
export TAVI_REGISTRY="$work/registry.db"
export TAVI_KEY_FILE="${TAVI_KEY_FILE:-$work/key}"
export TAVI_LOCALE="${TAVI_LOCALE:-en_US}"

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  echo "FAIL: $*"
}

# expect_status STATUS DESCRIPTION COMMAND...: the command exits with STATUS; its output goes to $work/out, $work/err.
expect_status() {
  local want="$1" what="$2"
  shift 2
  "$@" >"$work/out" 2>"$work/err" </dev/null
  local got=$?
  if [ "$got" -eq "$want" ]; then pass; else fail "$what: exit status $got, expected $want ($(head -c 200 "$work/err"))"; fi
}
# expect_in FILE TEXT DESCRIPTION / expect_not_in FILE TEXT DESCRIPTION
expect_in() { if grep -qF -- "$2" "$1"; then pass; else fail "$3: '$2' not in $(basename "$1")"; fi; }
expect_not_in() { if grep -qF -- "$2" "$1"; then fail "$3: '$2' in $(basename "$1")"; else pass; fi; }
# expect_file FILE TEXT DESCRIPTION: the file holds exactly TEXT (and a final line break).
expect_file() { if [ "$(cat "$1")" = "$2" ]; then pass; else fail "$3: got '$(head -c 300 "$1")', expected '$2'"; fi; }
# expect_empty FILE DESCRIPTION
expect_empty() { if [ ! -s "$1" ]; then pass; else fail "$2: $(basename "$1") holds '$(head -c 200 "$1")'"; fi; }

finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
