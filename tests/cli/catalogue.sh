#!/usr/bin/env bash
# Drives `tavigp types` and `tavigp value` as a script would: what they print, on which stream, and their exit
# statuses.
#
#   catalogue.sh PATH-TO-TAVIGP
set -u

tavigp="${1:?usage: catalogue.sh PATH-TO-TAVIGP}"
source "$(cd "$(dirname "$0")" && pwd)/lib.sh"

# --- tavigp types --------------------------------------------------------------------------------------------------
expect_status 0 "types" "$tavigp" types
expect_file <(wc -l <"$work/out" | tr -d ' ') "85" "one line per catalogue row"
expect_file <(head -n 1 "$work/out") "$(printf 'GPBoolean\tBoolean\tBoolean data type\tData Type')" "first row"
expect_file <(tail -n 1 "$work/out") \
  "$(printf 'GPKnowledgeGraphLayer\tKnowledge Graph Layer\tKnowledge Graph Layer\tData Type')" "last row"
expect_file <(awk -F'\t' 'NF != 4' "$work/out") "" "four tab-separated fields on every line"
expect_file <(awk -F'\t' '$4 == "Geodataset" { print $1 }' "$work/out") "DEGeoDatasetType" "the one Geodataset row"
expect_empty "$work/err" "types writes nothing to standard error"
expect_status 2 "types with an argument" "$tavigp" types GPLong
expect_status 0 "types --help" "$tavigp" types --help
expect_in "$work/out" "usage: tavigp types" "types --help prints its usage"

# --- tavigp value --------------------------------------------------------------------------------------------------
expect_status 0 "a string value" "$tavigp" value GPString "hello world"
expect_file "$work/out" "hello world" "its text form"
expect_empty "$work/err" "no message for good text"
expect_status 0 "the type name in any case" "$tavigp" value gpstring abc
expect_file "$work/out" "abc" "found ignoring case"
expect_status 0 "a hidden string" "$tavigp" value GPStringHidden secret
expect_file "$work/out" "*****" "masked text form"
# The stream form: 16-bit version, the base part, then the text (32-bit count and UTF-16 units).
expect_status 0 "stream bytes" "$tavigp" value GPString a --stream
expect_file "$work/out" "01000000010000006100" "stream form in hexadecimal"
expect_status 0 "stream for a named document version" "$tavigp" value GPString a --stream --docversion=older:3
expect_status 0 "stream for a version number" "$tavigp" value GPString a --stream --docversion 490
expect_status 0 "the XML form" "$tavigp" value GPString "a<b" --xml
expect_in "$work/out" "<?xml" "an XML document"
expect_in "$work/out" "a&lt;b" "text escaped in the XML"
expect_status 0 "XML and stream together" "$tavigp" value GPString a --xml --stream
expect_in "$work/out" "01000000010000006100" "both forms"
expect_in "$work/out" "</GPString>" "both forms"
# Failures: the library's own verdicts exit 1 with a line on standard error.
expect_status 1 "an unknown type" "$tavigp" value GPMultiValue x
expect_in "$work/err" "unknown data type 'GPMultiValue'" "the unknown type is named"
# Lists: the member type makes each member; --list prints them one per line.
expect_status 0 "a list of strings" "$tavigp" value GPMultiValue "a;'b c';;\"it's\"" --member GPString
expect_file "$work/out" "a;'b c';\"it's\"" "the list's text form"
expect_status 0 "its members" "$tavigp" value GPMultiValue "(5 meters;'3 feet')" --member GPLinearUnit --list
expect_file "$work/out" "$(printf '5 Meters\n3 Feet')" "one member per line"
expect_status 1 "a member the type cannot read" "$tavigp" value GPMultiValue "1;x" --member GPLong
expect_in "$work/err" "error 818" "the list's message says a member could not be made"
expect_status 1 "an unknown member type" "$tavigp" value GPMultiValue a --member GPNothing
expect_in "$work/err" "unknown member data type 'GPNothing'" "the member type is named"
expect_empty "$work/out" "nothing on standard output for an unknown type"
# Tables: a column of each --columns data type; --list prints one record per line, its values separated by tabs.
expect_status 0 "a table" "$tavigp" value GPValueTable "in.shp 1;'my data.shp' 2" --columns GPString,GPLong
expect_file "$work/out" "in.shp 1;'my data.shp' 2" "the table's text form"
expect_status 0 "its records" "$tavigp" value GPValueTable "in.shp 1;'my data.shp' 2" --columns GPString,GPLong --list
expect_file "$work/out" "$(printf 'in.shp\t1\nmy data.shp\t2')" "one record per line"
expect_status 1 "more values than columns" "$tavigp" value GPValueTable "a 1 extra" --columns GPString,GPLong
expect_in "$work/err" "error 818" "the table's message says a value could not be made"
expect_status 1 "a list type given columns" "$tavigp" value GPMultiValue a --columns GPString
expect_in "$work/err" "no table type" "the list type is refused"
# A catalogue row whose data type class (the name with "Type" after it) the library does not provide yet.
"$tavigp" classes --pending | awk '{ print $1 }' >"$work/pending"
waiting=""
for name in $("$tavigp" types | cut -f 1); do
  if grep -qxF "${name}Type" "$work/pending"; then
    waiting="$name"
    break
  fi
done
if [ -n "$waiting" ]; then
  expect_status 1 "a type not provided yet ($waiting)" "$tavigp" value "$waiting" x
  expect_in "$work/err" "cannot create it yet" "the reason is given"
fi
# A text the value cannot read: an error message on standard error, exit 1. GPLong reads only integers; skip when
# the library does not provide it.
if "$tavigp" value GPLong 1 >/dev/null 2>&1; then
  expect_status 1 "text a long integer cannot read" "$tavigp" value GPLong abc
  expect_in "$work/err" "error " "an error message"
  if grep -qE '^error [0-9]+: .+' "$work/err"; then pass; else fail "error line form: $(cat "$work/err")"; fi
  expect_status 0 "a negative number is text, not an option" "$tavigp" value GPLong -5
  expect_file "$work/out" "-5" "the negative number"
fi
# A domain's verdict follows the value: "member" or "not a member" on standard output, the domain's message on
# standard error, exit 1 for a value outside the domain.
expect_status 0 "a code of a coded domain" "$tavigp" value GPString b --domain coded:a,b,c
expect_file "$work/out" "$(printf 'b\nmember')" "the value, then the verdict"
expect_status 1 "not a code" "$tavigp" value GPString z --domain=coded:a,b,c
expect_file "$work/out" "$(printf 'z\nnot a member')" "not a member"
expect_in "$work/err" "error 800: " "the coded domain's message"
expect_in "$work/err" "a | b | c" "the allowed codes listed"
expect_status 1 "outside a range" "$tavigp" value GPLinearUnit "150 Meters" --domain range:0,100
expect_in "$work/err" "100 Meters" "the maximum with the value's unit"
expect_status 0 "inside numeric limits, both allowed" "$tavigp" value GPLong 5 --domain numeric:1,5
expect_status 1 "beyond numeric limits" "$tavigp" value GPDouble 5.5 --domain numeric:1,5
expect_in "$work/err" "error 892" "the numeric domain's code"
expect_status 0 "a unit against coded unit keywords" "$tavigp" value GPLinearUnit "10 Feet" --domain coded:Meters,feet
expect_status 2 "an unknown domain" "$tavigp" value GPString a --domain list:a
expect_status 2 "a range without two numbers" "$tavigp" value GPDouble 1 --domain range:0
expect_empty "$work/out" "a wrong domain is refused before anything is printed"
# Wrong command lines exit 2.
expect_status 2 "no TEXT" "$tavigp" value GPString
expect_status 2 "a third word" "$tavigp" value GPString a b
expect_status 2 "an unknown option" "$tavigp" value GPString a --json
expect_status 2 "an unknown document version" "$tavigp" value GPString a --stream --docversion someday
expect_in "$work/err" "unknown document version 'someday'" "the version is named"
expect_status 2 "--docversion without --stream" "$tavigp" value GPString a --docversion current
expect_status 2 "--docversion without a version" "$tavigp" value GPString a --stream --docversion
expect_status 0 "after --, a word starting with -- is TEXT" "$tavigp" value GPString -- --xml
expect_file "$work/out" "--xml" "taken as text"
expect_status 0 "value --help" "$tavigp" value --help
expect_in "$work/out" "usage: tavigp value" "value --help prints its usage"

finish
