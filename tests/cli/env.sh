#!/usr/bin/env bash
# Drives `tavigp env` and the `--env` option of `tavigp value` as a script would: the settings listed plain and as
# JSON, settings made for one run, text a setting refuses, and extents read with an output coordinate system.
#
#   env.sh PATH-TO-TAVIGP
set -u

tavigp="${1:?usage: env.sh PATH-TO-TAVIGP}"
source "$(cd "$(dirname "$0")" && pwd)/lib.sh"

# --- the list ------------------------------------------------------------------------------------------------------
expect_status 0 "the settings" "$tavigp" env
expect_file <(wc -l <"$work/out" | tr -d ' ') "12" "one line per default setting"
expect_in "$work/out" "$(printf 'outputCoordinateSystem\tGPCoordinateSystem\t')" "a setting without a value"
expect_empty "$work/err" "nothing on standard error"

expect_status 0 "settings made for the run" "$tavigp" env --env "XYTolerance=0.5 Meters" --env=outputZFlag=Enabled
expect_in "$work/out" "$(printf 'XYTolerance\tGPLinearUnit\t0.5 Meters')" "the tolerance as its data type reads it"
expect_in "$work/out" "$(printf 'outputZFlag\tGPString\tEnabled')" "the Z flag"

expect_status 0 "the settings as JSON" "$tavigp" env --json --env "xytolerance=2 Feet"
expect_file <(wc -l <"$work/out" | tr -d ' ') "1" "one JSON array on one line"
expect_in "$work/out" '{"name":"XYTolerance","displayName":"XY Tolerance","category":"XY Resolution and Tolerance","dataType":"GPLinearUnit","value":"2 Feet","altered":true}' \
  "a setting changed for the run, found in any letter case"
expect_in "$work/out" '"name":"extent","displayName":"Extent","category":"Processing Extent","dataType":"GPExtent","value":null,"altered":false}' \
  "a setting left alone"

# --- refusals ------------------------------------------------------------------------------------------------------
expect_status 1 "an unknown setting" "$tavigp" env --env noSuchSetting=1
expect_in "$work/err" "unknown environment setting 'noSuchSetting'" "says which"
expect_status 1 "text the data type refuses" "$tavigp" env --env XYTolerance=lots
expect_in "$work/err" "XYTolerance refuses 'lots'" "says which and why"
expect_status 1 "text outside the domain" "$tavigp" value GPLong 5 --env outputMFlag=Sometimes
expect_in "$work/err" "outputMFlag refuses 'Sometimes'" "the domain's verdict"
expect_empty "$work/out" "no value is made after a refused setting"
expect_status 2 "a setting without text" "$tavigp" env --env XYTolerance
expect_status 2 "--env without a setting" "$tavigp" value GPLong 5 --env
expect_status 2 "an unknown word" "$tavigp" env extra

# --- values read in the settings -----------------------------------------------------------------------------------
cat >"$work/wells.geojson" <<'JSON'
{"type": "FeatureCollection", "features": [
  {"type": "Feature", "properties": {"name": "a"}, "geometry": {"type": "Point", "coordinates": [10, 50]}},
  {"type": "Feature", "properties": {"name": "b"}, "geometry": {"type": "Point", "coordinates": [12.5, 53]}}
]}
JSON
expect_status 0 "an extent of data in its own system" "$tavigp" value GPExtent "$work/wells.geojson"
expect_in "$work/out" "10 50 12.5 53" "the data's own numbers"
# The numbers of a rectangle are taken to be in the output coordinate system; data named on its own keeps its own
# system (its extent carries it), whatever the output system is.
expect_status 0 "a rectangle in the output system" "$tavigp" value GPExtent "1 2 3 4" --env outputCoordinateSystem=EPSG:3857
expect_in "$work/out" '1 2 3 4 PROJCS["WGS 84 / Pseudo-Mercator"' "the rectangle in the output system"
expect_status 0 "a rectangle without an output system" "$tavigp" value GPExtent "1 2 3 4"
expect_file "$work/out" "1 2 3 4" "no system without the setting"
expect_status 0 "data with an output system" \
  "$tavigp" value GPExtent "$work/wells.geojson" --env outputCoordinateSystem=EPSG:3857
expect_in "$work/out" '10 50 12.5 53 GEOGCS["WGS 84"' "the data's extent in the data's own system"

finish
