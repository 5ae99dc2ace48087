#!/usr/bin/env bash
# Drives `tavigp project` and the `--project` option of `tavigp value` as a script would: a project listed as a tree
# and as JSON, kinds told from data that is there, documents that cannot be read, and wrong command lines.
#
#   project.sh PATH-TO-TAVIGP
set -u

tavigp="$(realpath "${1:?usage: project.sh PATH-TO-TAVIGP}")"
source "$(cd "$(dirname "$0")" && pwd)/lib.sh"

mkdir -p "$work/city/data"
cat >"$work/city/data/roads.geojson" <<'JSON'
{"type": "FeatureCollection", "features": [
  {"type": "Feature", "properties": {"lanes": 4}, "geometry": {"type": "LineString", "coordinates": [[0, 0], [1, 1]]}}
]}
JSON
cat >"$work/city/city.json" <<'JSON'
{"format": "tavi-project", "version": 1,
 "maps": [
   {"name": "Streets", "layers": [
     {"name": "roads", "source": "data/roads.geojson", "definitionQuery": "lanes > 2"},
     {"name": "Admin", "layers": [{"name": "districts", "source": "data/districts.gpkg/d", "visible": false}]}
   ]},
   {"name": "Imagery", "kind": "basemap", "layers": [{"name": "ortho", "kind": "GPRasterLayer", "source": "/img/o.tif"}]}
 ],
 "layouts": [{"name": "A3", "map": "Streets"}],
 "reports": [{"name": "Owners", "source": "data/owners.csv"}]}
JSON

# --- the tree ------------------------------------------------------------------------------------------------------
expect_status 0 "a project" "$tavigp" project "$work/city/city.json"
expect_file "$work/out" "project $work/city/city.json
map Streets (current)
  roads [GPFeatureLayer] $work/city/data/roads.geojson where lanes > 2
  Admin [GPGroupLayer]
    districts [kind unknown: no data yet] $work/city/data/districts.gpkg/d (hidden)
basemap Imagery
  ortho [GPRasterLayer] /img/o.tif
layout A3 (map Streets)
report Owners $work/city/data/owners.csv" "maps with their layer trees, layouts and reports"
expect_empty "$work/err" "nothing on standard error"

(cd "$work/city" && "$tavigp" project city.json --json) >"$work/out" 2>"$work/err"
expect_in "$work/out" "\"path\":\"$work/city/city.json\"" "a relative path read against the working folder"
expect_in "$work/out" '{"name":"districts","kind":"","source":"'"$work"'/city/data/districts.gpkg/d","definitionQuery":"","visible":false}' \
  "a group's child in JSON"
expect_file <(wc -l <"$work/out" | tr -d ' ') "1" "one JSON object on one line"

# --- documents that cannot be read ---------------------------------------------------------------------------------
printf '{"format":"tavi-project","version":1,"maps":[{"name":"m","layers":[{"name":"a"},{"name":false}]}]}' >"$work/bad.json"
expect_status 1 "a malformed document" "$tavigp" project "$work/bad.json"
expect_in "$work/err" "bad.json: maps[0].layers[1]: 'name' must be a string" "says what and where"
expect_empty "$work/out" "nothing listed"
printf 'not json' >"$work/text.json"
expect_status 1 "not JSON" "$tavigp" project "$work/text.json"
expect_in "$work/err" "not JSON" "says so"
expect_status 1 "no such file" "$tavigp" project "$work/none.json"
expect_in "$work/err" "none.json: no such file" "says so"
expect_status 1 "--project with a malformed document" "$tavigp" value GPString x --project "$work/bad.json"
expect_in "$work/err" "'name' must be a string" "the reader's message"
expect_empty "$work/out" "no value is made"
expect_status 0 "--project with a document" "$tavigp" value GPString x --project="$work/city/city.json"
expect_file "$work/out" "x" "the value is made"

# --- layers named in the project ----------------------------------------------------------------------------------
(cd "$work/city" && "$tavigp" value GPFeatureLayer roads --project city.json --xml) >"$work/out" 2>"$work/err"
expect_in "$work/out" "<DataSource xsi:type=\"xs:string\">$work/city/data/roads.geojson</DataSource>" \
  "a layer name resolved through the project gets its data"
expect_in "$work/out" "<DefinitionQuery xsi:type=\"xs:string\">lanes &gt; 2</DefinitionQuery>" "and its definition query"
expect_status 0 "a name the project does not know" "$tavigp" value GPFeatureLayer new_roads --project "$work/city/city.json" --xml
expect_in "$work/out" "<DataSource xsi:type=\"xs:string\"/>" "an output layer's name, without data"

# --- command lines -------------------------------------------------------------------------------------------------
expect_status 2 "no path" "$tavigp" project
expect_status 2 "two paths" "$tavigp" project a.json b.json
expect_status 2 "an unknown option" "$tavigp" project a.json --tree
expect_status 2 "--project without a path" "$tavigp" value GPString x --project

finish
