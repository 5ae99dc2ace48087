#!/usr/bin/env bash
# Drives `tavigp fieldmap` and `tavigp value GPFieldMapping` as a script would: the mapping built from two tables
# that share a field, its text read back as a value, the JSON form, and the failures. The tables are GeoJSON texts
# written here.
#
#   fieldmap.sh PATH-TO-TAVIGP
set -u

tavigp="${1:?usage: fieldmap.sh PATH-TO-TAVIGP}"
source "$(cd "$(dirname "$0")" && pwd)/lib.sh"

data="$work/dä ta"
mkdir -p "$data"
cat >"$data/wells.geojson" <<'JSON'
{"type": "FeatureCollection", "features": [
  {"type": "Feature", "properties": {"name": "a", "depth": 12}, "geometry": {"type": "Point", "coordinates": [10, 50]}}
]}
JSON
cat >"$data/springs.geojson" <<'JSON'
{"type": "FeatureCollection", "features": [
  {"type": "Feature", "properties": {"name": "b", "flow": 1.5}, "geometry": {"type": "Point", "coordinates": [11, 51]}}
]}
JSON

expect_status 0 "two tables" "$tavigp" fieldmap "$data/wells.geojson" "$data/springs.geojson"
expect_file <(wc -l <"$work/out" | tr -d ' ') "1" "the text on one line"
expect_in "$work/out" "name \"name\" true true false 0 Text 0 0,First,#,$data/wells.geojson,name,-1,-1,$data/springs.geojson,name,-1,-1" \
  "one output field fed by both tables"
expect_in "$work/out" ";depth \"depth\" true true false 0 Long 0 0,First,#,$data/wells.geojson,depth,-1,-1" "a field of one table"
expect_not_in "$work/out" "FID" "the identifier field is left out"
expect_empty "$work/err" "nothing on standard error"

# The text reads back as a field mapping value and is written the same.
text="$(cat "$work/out")"
expect_status 0 "the text as a value" "$tavigp" value GPFieldMapping "$text"
expect_file "$work/out" "$text" "the same text"

expect_status 0 "as JSON" "$tavigp" fieldmap "$data/wells.geojson" "$data/springs.geojson" --json
expect_in "$work/out" '"fieldMaps":[{"output":{"name":"name"' "the first field map"
expect_in "$work/out" '"tableIndex":1' "the second table's index"

expect_status 1 "a missing table" "$tavigp" fieldmap "$data/nothing.shp"
expect_in "$work/err" "tavigp fieldmap: $data/nothing.shp" "the path in the message"
expect_status 2 "no table" "$tavigp" fieldmap
expect_status 1 "an unreadable mapping text" "$tavigp" value GPFieldMapping '"open,First,#'
expect_in "$work/err" "error 801: " "the message of the refused text"

finish
