#!/usr/bin/env bash
# Checks that the bridge binds every operation the public headers declare: each `virtual HRESULT op(` of each
# `struct IName : IBase {` in include/tavi/*.h is in the bridge's {"ops": true} list as "IName.op", or is listed in
# unbound.txt with the reason it is not. Also fails on a listed operation that is bound or no longer declared, and on
# a bound operation that no header declares on that interface or a base of it.
#
#   bound.sh PATH-TO-TAVIGP
set -u

tavigp="${1:?usage: bound.sh PATH-TO-TAVIGP}"
here="$(cd "$(dirname "$0")" && pwd)"
headers=("$here"/../../include/tavi/*.h)
source "$here/lib.sh"

# "IName IBase" for every interface, and "IName.op" for every operation declared on it.
awk '
/^struct I[A-Za-z0-9_]*( : I[A-Za-z0-9_]*)? \{/ { iface = $2; print "base", iface, ($3 == ":" ? $4 : "-"); next }
/^};/ { iface = "" }
iface != "" && match($0, /virtual HRESULT [A-Za-z0-9_]+\(/) { print "op", iface "." substr($0, RSTART + 16, RLENGTH - 17) }
' "${headers[@]}" >"$work/declared"

echo '{"ops": true}' | "$tavigp" eval >"$work/ops" 2>"$work/stderr"
grep -o '"I[A-Za-z0-9_]*\.[A-Za-z0-9_]*(' "$work/ops" | tr -d '"(' | sort -u >"$work/bound"
if [ -s "$work/bound" ]; then pass; else fail "no operations from {\"ops\": true}: $(head -c 300 "$work/ops" "$work/stderr")"; fi

# Entries of the list without comments and blank lines: "IName.op reason".
grep -v '^[[:space:]]*\(#\|$\)' "$here/unbound.txt" >"$work/unbound"

awk -v failures="$work/failures" '
function report(text) { print text >failures; ++bad }
# A bound name is declared when the interface or one of its bases declares the operation.
function declared(name,    iface, op) {
  iface = substr(name, 1, index(name, ".") - 1); op = substr(name, index(name, ".") + 1)
  for (; iface != "" && iface != "-"; iface = base[iface])
    if ((iface "." op) in ops) return 1
  return 0
}
FILENAME == ARGV[1] && $1 == "base" { base[$2] = $3; next }
FILENAME == ARGV[1] && $1 == "op" { ops[$2] = 1; next }
FILENAME == ARGV[2] { bound[$1] = 1; next }
FILENAME == ARGV[3] {
  if (NF < 2) report("unbound.txt: " $1 " gives no reason")
  if ($1 in listed) report("unbound.txt: " $1 " is listed twice")
  listed[$1] = 1
  next
}
END {
  for (name in ops)
    if (!(name in bound) && !(name in listed)) report(name ": declared but neither bound nor listed in unbound.txt")
  for (name in listed) {
    if (name in bound) report(name ": bound now; take it out of unbound.txt")
    else if (!(name in ops)) report(name ": listed in unbound.txt but no header declares it")
  }
  for (name in bound)
    if (!declared(name)) report(name ": bound but declared on no interface of that name or its bases")
  exit bad > 0
}
' "$work/declared" "$work/bound" "$work/unbound"
if [ $? -eq 0 ]; then
  pass
else
  while IFS= read -r line; do fail "$line"; done < <(sort "$work/failures")
fi

finish
