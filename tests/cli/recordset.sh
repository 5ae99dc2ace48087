#!/usr/bin/env bash
# Drives `tavigp recordset` as a script would: a JSON file summarised, written back as JSON and as GeoJSON, written
# into a table and read from it with a where clause, and sources and command lines that are refused.
#
#   recordset.sh PATH-TO-TAVIGP
set -u

tavigp="$(realpath "${1:?usage: recordset.sh PATH-TO-TAVIGP}")"
source "$(cd "$(dirname "$0")" && pwd)/lib.sh"
export TAVI_SCRATCH_FOLDER="$work/scratch"

cat >"$work/wells.json" <<'JSON'
{"geometryType": "taviGeometryPoint", "spatialReference": {"wkid": 4326},
 "fields": [{"name": "OBJECTID", "type": "taviFieldTypeOID"},
            {"name": "name", "type": "taviFieldTypeString", "length": 20},
            {"name": "depth", "type": "taviFieldTypeDouble"},
            {"name": "drilled", "type": "taviFieldTypeDate"}],
 "features": [{"attributes": {"OBJECTID": 1, "name": "north", "depth": 12.5, "drilled": 86400000},
               "geometry": {"x": 10.25, "y": 50.5}},
              {"attributes": {"OBJECTID": 2, "name": "south", "depth": null, "drilled": null},
               "geometry": {"x": 11, "y": 49}}]}
JSON

# --- a summary, the JSON form and GeoJSON --------------------------------------------------------------------------
expect_status 0 "a JSON file" "$tavigp" recordset "$work/wells.json"
expect_file "$work/out" "source $work/wells.json
records 2
geometry Point
spatial reference 4326 WGS 84
object id field OBJECTID
fields
  OBJECTID OID
  Shape Geometry
  name String(20)
  depth Double
  drilled Date" "the summary"
expect_empty "$work/err" "nothing on standard error"

expect_status 0 "as JSON" "$tavigp" recordset "$work/wells.json" --json
expect_in "$work/out" '"geometryType":"taviGeometryPoint"' "the geometry type"
expect_in "$work/out" '{"attributes":{"OBJECTID":1,"name":"north","depth":12.5,"drilled":86400000},"geometry":{"x":10.25,"y":50.5}}' \
  "a feature as read"
cp "$work/out" "$work/again.json"
expect_status 0 "its own JSON read back" "$tavigp" recordset "$work/again.json" --json
expect_file "$work/out" "$(cat "$work/again.json")" "the same JSON again"

expect_status 0 "as GeoJSON" "$tavigp" recordset "$work/wells.json" --geojson
expect_in "$work/out" '{"type":"FeatureCollection","features":[{"type":"Feature","id":1,"geometry":{"type":"Point","coordinates":[10.25,50.5]}' \
  "a GeoJSON feature"
expect_in "$work/out" '"drilled":"1970-01-02T00:00:00Z"' "a date as ISO 8601 text"

# --- into a table and back -----------------------------------------------------------------------------------------
expect_status 0 "written into a shapefile" "$tavigp" recordset "$work/wells.json" --out "$work/wells.shp"
expect_file "$work/out" "wrote $work/wells.shp" "says what it wrote"
expect_status 0 "read with a where clause" "$tavigp" recordset "$work/wells.shp" --where "name = 'south'" --json
expect_in "$work/out" '"name":"south"' "the record asked for"
expect_not_in "$work/out" '"name":"north"' "and no other"
expect_status 1 "a table that exists" "$tavigp" recordset "$work/wells.json" --out "$work/wells.shp"
expect_in "$work/err" "cannot write $work/wells.shp" "says so"

# --- sources that cannot be read, wrong command lines -------------------------------------------------------------
printf '{"fields": 3}' >"$work/bad.json"
expect_status 1 "a malformed JSON file" "$tavigp" recordset "$work/bad.json"
expect_in "$work/err" "cannot read $work/bad.json: fields: 'fields' must be an array" "says what and where"
expect_status 1 "no such table" "$tavigp" recordset "$work/none.gpkg/t"
expect_in "$work/err" "cannot open $work/none.gpkg/t" "says so"
printf 'not a stream' >"$work/damaged.dat"
expect_status 1 "a damaged record set file" "$tavigp" recordset "$work/damaged.dat"
expect_in "$work/err" "damaged.dat" "names it"
expect_status 2 "no source" "$tavigp" recordset
expect_status 2 "an unknown option" "$tavigp" recordset "$work/wells.json" --color

finish
