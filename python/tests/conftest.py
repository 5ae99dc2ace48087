# The package's tests run with a registry store, a protection key and a scratch folder of their own, in the en-US
# locale, and each test checks that every library object it made is gone at its end.
import gc
import os
import tempfile

_home = tempfile.mkdtemp(prefix="tavi-python-tests-")
os.environ.update(
    TAVI_REGISTRY=os.path.join(_home, "registry.db"),
    TAVI_KEY_FILE=os.path.join(_home, "key"),
    TAVI_SCRATCH_FOLDER=os.path.join(_home, "scratch"),
    TAVI_LOCALE="en_US",
)

import pytest  # noqa: E402

import tavi  # noqa: E402


def settled_count():
    gc.collect()  # the package lets the library's unused singletons go with a full collection
    return tavi.object_count()


@pytest.fixture(autouse=True)
def no_leaked_objects():
    before = settled_count()
    yield
    assert settled_count() == before, "library objects outlived the test"
