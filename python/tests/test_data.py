import json

import pytest

import tavi


def test_a_datasets_extent(tmp_path):
    path = tmp_path / "sites.geojson"
    points = [[2.5, 48.0], [7.25, 51.5], [4.0, 49.75]]
    path.write_text(
        json.dumps(
            {
                "type": "FeatureCollection",
                "features": [
                    {"type": "Feature", "properties": {"id": i}, "geometry": {"type": "Point", "coordinates": p}}
                    for i, p in enumerate(points)
                ],
            }
        )
    )
    utilities = tavi.create("GPUtilities")
    element = utilities.OpenDataElementFromText(str(path))
    extent = utilities.GetExtent(element)
    assert extent.QueryCoords() == pytest.approx((2.5, 48.0, 7.25, 51.5))
