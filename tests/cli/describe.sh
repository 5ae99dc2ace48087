#!/usr/bin/env bash
# Drives `tavigp describe` as a script would: each kind of data, plain and JSON output, and the failures. The data is
# made here: a GeoJSON text written by the script, and a GeoPackage made by the utility object's default workspace
# through `tavigp eval`.
#
#   describe.sh PATH-TO-TAVIGP
set -u

tavigp="${1:?usage: describe.sh PATH-TO-TAVIGP}"
source "$(cd "$(dirname "$0")" && pwd)/lib.sh"

# A folder with a blank and a non-ASCII letter in its name, holding a point feature class, a plain file and a file
# that claims to be a shapefile.
data="$work/dä ta"
mkdir -p "$data/sub"
cat >"$data/wells.geojson" <<'JSON'
{"type": "FeatureCollection", "features": [
  {"type": "Feature", "properties": {"name": "a", "depth": 12}, "geometry": {"type": "Point", "coordinates": [10, 50]}},
  {"type": "Feature", "properties": {"name": "b", "depth": 7}, "geometry": {"type": "Point", "coordinates": [12.5, 53]}}
]}
JSON
printf 'not data\n' >"$data/notes.txt"
printf 'this is not a shapefile' >"$data/broken.shp"

# --- a feature class -----------------------------------------------------------------------------------------------
expect_status 0 "a feature class" "$tavigp" describe "$data/wells.geojson"
expect_in "$work/out" "kind: DEFeatureClass" "its kind"
expect_in "$work/out" "name: wells.geojson" "its name"
expect_in "$work/out" "catalog path: $data/wells.geojson" "its catalog path"
expect_in "$work/out" "shape type: Point" "its shape type"
expect_in "$work/out" "has Z: no" "no Z values"
expect_in "$work/out" "extent: 10.0 50.0 12.5 53.0" "its extent"
expect_in "$work/out" "spatial reference: WGS 84 (4326)" "its spatial reference with its code"
expect_in "$work/out" "$(printf '  depth\tInteger\t0\tnullable')" "a field line"
expect_in "$work/out" "$(printf '  FID\tOID\t4\tnot nullable')" "the identifier field"
expect_empty "$work/err" "nothing on standard error"

expect_status 0 "a feature class as JSON" "$tavigp" describe "$data/wells.geojson" --json
expect_file <(wc -l <"$work/out" | tr -d ' ') "1" "one JSON object on one line"
expect_in "$work/out" '"kind":"DEFeatureClass"' "JSON kind"
expect_in "$work/out" '"extent":{"xmin":10.0,"ymin":50.0,"xmax":12.5,"ymax":53.0}' "JSON extent"
expect_in "$work/out" '"spatialReference":{"name":"WGS 84","code":4326}' "JSON spatial reference"
expect_in "$work/out" '{"name":"name","type":"String","length":0,"nullable":true}' "JSON field"
expect_not_in "$work/out" '"children"' "a feature class has no children"

# --- containers ----------------------------------------------------------------------------------------------------
expect_status 0 "a folder" "$tavigp" describe "$data" --json
expect_in "$work/out" '"kind":"DEFolder"' "folder kind"
expect_in "$work/out" '{"name":"wells.geojson","kind":"DEFeatureClass"}' "a child feature class"
expect_in "$work/out" '{"name":"sub","kind":"DEFolder"}' "a child folder"
expect_in "$work/out" '{"name":"notes.txt","kind":"DEFile"}' "a child file"
expect_not_in "$work/out" '"fields"' "a folder has no fields"

# The default workspace: a GeoPackage made on demand in the scratch folder named by the environment.
export TAVI_SCRATCH_FOLDER="$work/scratch ö"
printf '%s\n' '{"new": "GPUtilities", "as": "u"}' '{"call": "IGPUtilities.GetDefaultWorkspace", "on": "u"}' \
  | "$tavigp" eval >"$work/eval" 2>&1
expect_in "$work/eval" '"hrname":"S_OK","out":[{"object"' "the default workspace is handed out"
expect_status 0 "the default workspace" "$tavigp" describe "$TAVI_SCRATCH_FOLDER/scratch.gpkg"
expect_in "$work/out" "kind: DEWorkspace" "a GeoPackage is a database workspace"
expect_in "$work/out" "children:" "its (empty) list of children"

expect_status 0 "the memory workspace" "$tavigp" describe in_memory --json
expect_in "$work/out" '"kind":"DEWorkspace"' "memory workspace kind"

expect_status 0 "a plain file" "$tavigp" describe "$data/notes.txt"
expect_file "$work/out" "$(printf 'kind: DEFile\nname: notes.txt\ncatalog path: %s/notes.txt' "$data")" \
  "a file has only its kind, name and path"

# --- values of data --------------------------------------------------------------------------------------------------
# The extent of a dataset, with its coordinate system, and the same extent projected into another one.
expect_status 0 "the extent of a dataset" "$tavigp" value GPExtent "$data/wells.geojson"
expect_in "$work/out" "10 50 12.5 53 GEOGCS[\"WGS 84\"" "its rectangle, then its coordinate system"
expect_status 0 "the extent in another coordinate system (a quoted path with a blank)" "$tavigp" value GPExtent "\"$data/wells.geojson\" EPSG:3857"
expect_in "$work/out" "1113194.9079327" "projected into web mercator"
expect_in "$work/out" "Pseudo-Mercator" "with the target coordinate system"
expect_status 0 "the envelope of a dataset" "$tavigp" value GPEnvelope "$data/wells.geojson"
expect_file "$work/out" "10 50 12.5 53" "the rectangle alone"
expect_status 1 "the extent of missing data" "$tavigp" value GPExtent "$data/missing.shp"
expect_in "$work/err" "error " "an error message"

# --- failures ------------------------------------------------------------------------------------------------------
expect_status 1 "a missing path" "$tavigp" describe "$data/nothing.shp"
expect_in "$work/err" "tavigp describe: $data/nothing.shp: no data at this path" "the path and the reason"
expect_empty "$work/out" "nothing on standard output for a missing path"
expect_status 1 "unreadable data" "$tavigp" describe "$data/broken.shp" --json
expect_in "$work/err" "tavigp describe: $data/broken.shp: cannot be read as data" "unreadable is told apart"
expect_status 1 "a blank path" "$tavigp" describe " "
expect_in "$work/err" "tavigp describe:  : " "a blank path is refused"
expect_status 2 "no path" "$tavigp" describe
expect_status 2 "two paths" "$tavigp" describe a b
expect_status 2 "an unknown option" "$tavigp" describe "$data" --xml
expect_status 0 "describe --help" "$tavigp" describe --help
expect_in "$work/out" "usage: tavigp describe PATH [--json]" "describe --help prints its usage"

finish
