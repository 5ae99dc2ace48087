#!/usr/bin/env bash
# Drives tavigp end to end, as a script would: its commands and exit statuses, registration and the registry export,
# and bridge sessions (*.session beside this file) whose replies are checked line by line.
#
#   run.sh PATH-TO-TAVIGP
#
# Session files: "> request" sends a request; the lines after it check its reply:
#   "= text"   the reply is exactly this line
#   "~ text"   the reply contains this text
#   "! text"   the reply does not contain this text
# A request with no check line must reply "ok":true. Lines starting with "#" and blank lines are ignored.
# Every session also checks that the module object count is 0 once its objects are released.
set -u

tavigp="${1:?usage: run.sh PATH-TO-TAVIGP}"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib.sh"

# run_session FILE: sends the file's requests to one `tavigp eval` and checks every reply.
run_session() {
  local file="$1" name
  name="$(basename "$file")"
  grep '^> ' "$file" | sed 's/^> //' >"$work/requests"
  # After the session's own requests: release everything, let the main thread's singletons go, count.
  cp "$work/requests" "$work/input"
  printf '%s\n' '{"releaseall": true}' '{"dll": "DllCanUnloadNow"}' '{"objects": true}' >>"$work/input"
  "$tavigp" eval <"$work/input" >"$work/replies" 2>"$work/stderr"
  local status=$?
  [ "$status" -eq 0 ] || fail "$name: eval exited with $status: $(head -c 300 "$work/stderr")"
  local sent replies
  sent=$(wc -l <"$work/input")
  replies=$(wc -l <"$work/replies")
  [ "$sent" -eq "$replies" ] || fail "$name: $sent requests but $replies replies"

  local index=0 line request="" reply="" checked=1 lineno=0
  finish_request() {
    if [ -n "$request" ] && [ "$checked" -eq 0 ]; then
      case "$reply" in '{"ok":true'*) pass ;; *) fail "$name:$lineno: $request -> $reply (expected ok:true)" ;; esac
    fi
  }
  while IFS= read -r line || [ -n "$line" ]; do
    lineno=$((lineno + 1))
    case "$line" in
    '> '*)
      finish_request
      index=$((index + 1))
      request="${line#> }"
      reply="$(sed -n "${index}p" "$work/replies")"
      checked=0
      ;;
    '= '*)
      checked=1
      if [ "$reply" = "${line#= }" ]; then pass; else fail "$name:$lineno: $request -> $reply (expected ${line#= })"; fi
      ;;
    '~ '*)
      checked=1
      case "$reply" in *"${line#\~ }"*) pass ;; *) fail "$name:$lineno: $request -> $reply (expected to contain ${line#\~ })" ;; esac
      ;;
    '! '*)
      checked=1
      case "$reply" in *"${line#! }"*) fail "$name:$lineno: $request -> $reply (expected not to contain ${line#! })" ;; *) pass ;; esac
      ;;
    '#'* | '') ;;
    *) fail "$name:$lineno: unreadable line: $line" ;;
    esac
  done <"$file"
  finish_request

  # Nothing the session made may outlive it.
  local count
  count="$(tail -n 1 "$work/replies")"
  case "$count" in *'"count":0'*) pass ;; *) fail "$name: objects alive after the session: $count" ;; esac
}

# --- Commands, help and usage errors ---------------------------------------------------------------------------
expect_status 2 "no command" "$tavigp"
expect_in "$work/err" "usage: tavigp" "no command prints the usage"
expect_status 2 "unknown command" "$tavigp" frobnicate
expect_in "$work/err" "unknown command 'frobnicate'" "unknown command is named"
expect_status 0 "top-level help" "$tavigp" --help
for command in classes register unregister reg eval types value; do
  expect_status 0 "$command --help" "$tavigp" "$command" --help
  expect_in "$work/out" "usage: tavigp $command" "$command --help prints its usage"
done
expect_status 2 "classes with a stray argument" "$tavigp" classes --bogus
expect_in "$work/err" "Try 'tavigp classes --help'" "usage errors point at the help"
expect_status 2 "register with an argument" "$tavigp" register now
expect_status 2 "reg without a subcommand" "$tavigp" reg
expect_status 2 "reg with an unknown subcommand" "$tavigp" reg import
expect_status 2 "reg export of a key outside the roots" "$tavigp" reg export 'HKEY_NOWHERE\x'
expect_status 2 "eval with an argument" "$tavigp" eval file.json

# --- The class table ---------------------------------------------------------------------------------------------
expect_status 0 "classes" "$tavigp" classes
expect_in "$work/out" "taviGeoprocessing.EnumBSTR" "the EnumBSTR row"
expect_in "$work/out" "{583CADF9-039F-4E85-A7C1-E234193A7151}" "EnumBSTR's class identifier"
expect_in "$work/out" "(not yet provided)" "pending rows are marked"
grep -F "GPDataTypeFactory " "$work/out" >"$work/row"
expect_in "$work/row" "singleton" "the data type factory is a singleton"
expect_in "$work/row" "{9E9B6AB1-38E8-46BE-B5B2-C0B1AD46E8D5}" "the data type factory's category"
expect_status 0 "classes --provided" "$tavigp" classes --provided
expect_not_in "$work/out" "(not yet provided)" "--provided leaves pending rows out"

# --- Registration and the registry export -----------------------------------------------------------------------
enumbstr='HKEY_CLASSES_ROOT\CLSID\{583CADF9-039F-4E85-A7C1-E234193A7151}'
expect_status 0 "register" "$tavigp" register
expect_in "$work/out" "taviDllRegisterServer: 0x00000000 (S_OK)" "register prints its result"
expect_status 0 "reg export" "$tavigp" reg export
expect_in "$work/out" "TAVI Registry Export 1.0" "export header"
expect_in "$work/out" "[$enumbstr\\InprocServer32]" "the class's InprocServer32 section"
expect_in "$work/out" '"ThreadingModel"="Apartment"' "threading model value"
expect_in "$work/out" '@="taviGeoprocessing.EnumBSTR"' "default value form"
expect_in "$work/out" '[HKEY_CLASSES_ROOT\taviGeoprocessing.EnumBSTR\CurVer]' "the CurVer key"
expect_status 0 "reg export of one key" "$tavigp" reg export "$enumbstr\\ProgID"
expect_in "$work/out" '@="taviGeoprocessing.EnumBSTR.1"' "export of a named key"
expect_not_in "$work/out" "VersionIndependentProgID" "export of a key leaves its siblings out"
expect_status 1 "reg export of a missing key" "$tavigp" reg export 'HKCR\NoSuchKey'
expect_in "$work/err" "ERROR_FILE_NOT_FOUND" "missing key is reported"
expect_not_in "$work/out" "TAVI Registry Export" "nothing is written for a missing key"
# Escaping and value kinds, through values the bridge writes.
printf '%s\n' '{"reg":"set","key":"HKCU\\Software\\Cli","value":"Path","data":"C:\\dir \"q\""}' \
  '{"reg":"set","key":"HKCU\\Software\\Cli","value":"Count","type":"REG_DWORD","data":10}' |
  "$tavigp" eval >/dev/null
expect_status 0 "reg export of written values" "$tavigp" reg export 'HKCU\Software\Cli'
expect_in "$work/out" '"Path"="C:\\dir \"q\""' "backslashes and quotes are escaped"
expect_in "$work/out" '"Count"=dword:0000000a' "dword form"
expect_status 0 "unregister" "$tavigp" unregister
expect_in "$work/out" "taviDllUnregisterServer: 0x00000000 (S_OK)" "unregister prints its result"
expect_status 0 "reg export after unregister" "$tavigp" reg export
expect_not_in "$work/out" "583CADF9" "unregister removes the class keys"
expect_not_in "$work/out" "taviGeoprocessing.EnumBSTR" "unregister removes the programmatic identifiers"

# --- The bridge's line discipline ----------------------------------------------------------------------------------
# Each reply is flushed as soon as it is written: a script can wait for it before sending the next request.
coproc EVAL { "$tavigp" eval 2>/dev/null; }
# Bash forgets a coprocess's variables once it has ended, so they are copied at once.
eval_pid=$EVAL_PID
to_eval=${EVAL[1]}
from_eval=${EVAL[0]}
echo '{"new": "EnumBSTR", "as": "a"}' >&"$to_eval"
if IFS= read -r -t 20 line <&"$from_eval" && [ "$line" = '{"ok":true,"hr":"0x00000000","hrname":"S_OK"}' ]; then
  pass
else
  fail "the reply to the first request did not arrive before the input ended: ${line:-nothing}"
fi
exec {to_eval}>&- 2>/dev/null
wait "$eval_pid" 2>/dev/null
exec {from_eval}<&- 2>/dev/null
# Blank lines are skipped; text that is not well-formed UTF-8 is refused like any malformed line.
printf '\n  \n{"new": "\xff\xfe"}\n\n{"objects": true}\n' | "$tavigp" eval >"$work/out"
if [ "$(wc -l <"$work/out")" -eq 2 ]; then pass; else fail "blank lines got replies: $(cat "$work/out")"; fi
expect_in "$work/out" '{"ok":false,"error":"not JSON' "ill-formed UTF-8 is not JSON"
expect_in "$work/out" '"count":0' "the session goes on after it"

# --- Every operation the headers declare is bound, or listed with its reason in unbound.txt -------------------------
if bash "$here/bound.sh" "$tavigp" >"$work/bound-out" 2>&1; then
  pass
else
  fail "bound.sh:"$'\n'"$(grep -v ' passed, ' "$work/bound-out")"
fi

# --- Bridge sessions ----------------------------------------------------------------------------------------------
for session in "$here"/*.session; do
  run_session "$session"
done

finish
