"""taviGeoprocessing for Python: the library's objects, created by class and used through their interfaces.

    import tavi
    unit = tavi.create("GPLinearUnit")
    unit.SetAsText("5 meters")            # or unit.IGPValue.SetAsText("5 meters")
    print(unit)                           # 5 Meters
    unit.IGPLinearUnit.get_Value()        # 5.0

An object's attributes are the interfaces it answers and, where only one of those has an operation of that name,
the operation itself. An operation takes its in arguments and gives back its out arguments: None, one value or a
tuple. Text is str, numbers are int and float, a VARIANT is the Python value it holds, an object is an Object (a
Message for messages). A failed operation raises ComError with the result code (hr), its name and the error
information (description). str() of a value is its text; == compares through IClone.IsEqual; copy.copy clones;
pickle keeps the stream form. Objects live as long as Python holds them; after gc.collect() object_count() is the
number of library objects still held.
"""

import gc

from ._tavi import (
    ComError,
    Interface,
    Message,
    Object,
    Operation,
    create,
    load_stream_form,
    object_count,
    operations,
    release_unused,
    types,
)

__all__ = [
    "ComError",
    "Interface",
    "Message",
    "Object",
    "Operation",
    "create",
    "load_stream_form",
    "object_count",
    "operations",
    "release_unused",
    "types",
]


def _load(class_id, data):
    """Unpickles an Object: its class identifier and stream form, as Object.__reduce__ gave them."""
    return load_stream_form(class_id, data)


def _release_after_full_collection(phase, info):
    # A full collection (gc.collect()) also lets the library's unused per-thread singletons go, so that the object
    # count afterwards says whether anything Python held is still alive. Only full collections: the release visits
    # the library's threads, which the frequent young-generation collections should not pay for.
    if phase == "stop" and info.get("generation") == 2 and release_unused is not None:
        release_unused()


gc.callbacks.append(_release_after_full_collection)
