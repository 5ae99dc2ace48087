#!/usr/bin/env bash
# Drives `tavigp value ... --domain` with the domains over data as a script would: fields by type, feature classes by
# shape type, files by extension, workspaces by type, datasets by type and data elements by type name, on a GeoJSON
# feature class, a plain file and a folder written here, and the memory workspace.
#
#   datadomains.sh PATH-TO-TAVIGP
set -u

tavigp="${1:?usage: datadomains.sh PATH-TO-TAVIGP}"
source "$(cd "$(dirname "$0")" && pwd)/lib.sh"

data="$work/dä ta"
mkdir -p "$data/inner"
cat >"$data/wells.geojson" <<'JSON'
{"type": "FeatureCollection", "features": [
  {"type": "Feature", "properties": {"name": "a", "depth": 12, "flow": 1.5}, "geometry": {"type": "Point", "coordinates": [10, 50]}}
]}
JSON
echo "notes" >"$data/notes.txt"

# Fields: one line per field, the refused ones with their message on standard error.
expect_status 0 "fields by type" "$tavigp" value DEGeoDatasetType "$data/wells.geojson" --domain fields:Long,Double
expect_in "$work/out" "$data/wells.geojson" "the value's text first"
expect_in "$work/out" "depth	member" "an integer field"
expect_in "$work/out" "flow	member" "a real field"
expect_in "$work/out" "name	not a member" "a text field"
expect_in "$work/err" "error 3911: The field's type is not valid; allowed types: Long | Double" "the refused field's message"
expect_status 1 "no field passes" "$tavigp" value DEGeoDatasetType "$data/wells.geojson" --domain fields:Blob

# Feature classes by shape type (texts in any letter case).
expect_status 0 "a point feature class" "$tavigp" value DEGeoDatasetType "$data/wells.geojson" --domain shapes:point,Polygon
expect_in "$work/out" "member" "the verdict"
expect_status 1 "not a polyline" "$tavigp" value DEGeoDatasetType "$data/wells.geojson" --domain shapes:Polyline
expect_in "$work/out" "not a member" "the verdict"
expect_in "$work/err" "error 3917: The geometry type is not valid; allowed types: Polyline" "the message"

# Files by extension.
expect_status 0 "a text file" "$tavigp" value DEType "$data/notes.txt" --domain ext:csv,TXT
expect_status 1 "not a shapefile" "$tavigp" value DEType "$data/notes.txt" --domain ext:shp
expect_in "$work/err" "error 814: " "the extension's message"

# Workspaces by type: a folder is a file system workspace, the memory workspace a local database.
expect_status 0 "a folder" "$tavigp" value DEType "$data/inner" --domain workspace:FileSystem
expect_status 0 "the memory workspace" "$tavigp" value DEType memory --domain workspace:LocalDatabase
expect_status 1 "a folder is no database" "$tavigp" value DEType "$data" --domain workspace:LocalDatabase
expect_in "$work/err" "error 837: " "the workspace type's message"
expect_status 1 "a file is no workspace" "$tavigp" value DEType "$data/notes.txt" --domain workspace:FileSystem
expect_in "$work/err" "error 838: " "the message"

# Datasets by type and data elements by type name.
expect_status 0 "a feature class dataset" "$tavigp" value DEDatasetType "$data/wells.geojson" --domain datasets:FeatureClass
expect_status 1 "not a table" "$tavigp" value DEDatasetType "$data/wells.geojson" --domain datasets:Table
expect_in "$work/err" "error 808: " "the dataset type's message"
expect_status 0 "a data element type name" "$tavigp" value DEType "$data/notes.txt" --domain elements:defile
expect_status 1 "another type name" "$tavigp" value DEType "$data/notes.txt" --domain elements:DEFolder
expect_in "$work/err" "error 793: " "the type name's message"

# Wrong command lines and data that does not open.
expect_status 2 "an unknown type text" "$tavigp" value DEType "$data" --domain shapes:Blob
expect_in "$work/err" "unknown type 'Blob'" "named"
expect_status 2 "an empty list item" "$tavigp" value DEType "$data" --domain ext:shp,,gpkg
expect_status 2 "an unknown kind" "$tavigp" value DEType "$data" --domain colours:red
expect_status 1 "a path that does not exist" "$tavigp" value DEType "$data/nothing.shp" --domain ext:shp
expect_in "$work/err" "cannot create a DEType value" "said"

finish
