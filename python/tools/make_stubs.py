#!/usr/bin/env python3
"""Writes the type stubs (.pyi) of the package tavi from its binding tables, so that editors complete every interface
of an Object and every operation of an interface with the types of its arguments and results.

    make_stubs.py OUT.pyi      (with the built package on PYTHONPATH)
"""
import sys

from tavi import _tavi

IN_TYPES = {
    "text": "str | None",
    "BSTR": "str | None",
    "number": "int",
    "double": "float",
    "VARIANT": "Any",
    "GUID": "str",
    "object": "Object | None",
    "GUID array": "list[str]",
    "hex bytes": "bytes",
    "category infos": "list[dict[str, Any]]",
}
OUT_TYPES = {
    "out BSTR": "str | None",
    "out number": "int",
    "out double": "float",
    "out VARIANT": "Any",
    "out GUID": "str | None",
    "out object": "Object | None",
    "out GUID array": "list[str]",
    "out hex bytes": "bytes",
    "out object array": "list[Object]",
    "out connection array": "list[dict[str, Any]]",
}

HEAD = '''# The type stubs of the package tavi, made from its binding tables by python/tools/make_stubs.py.
from typing import Any

class ComError(Exception):
    hr: int
    name: str
    description: str

class Operation:
    name: str
    signature: str
    def __call__(self, *args: Any, nullout: list[int] = ..., result_code: bool = ...) -> Any: ...

class Interface:
    def __getattr__(self, name: str) -> Operation: ...

def create(which: str) -> Object: ...
def load_stream_form(class_id: str, data: bytes) -> Object: ...
def types() -> list[dict[str, str]]: ...
def object_count() -> int: ...
def release_unused() -> bool: ...
def operations() -> dict[str, str]: ...
'''


def result_type(outs):
    if not outs:
        return "None"
    types = [OUT_TYPES.get(kind, "Any") for kind in outs]
    return types[0] if len(types) == 1 else "tuple[" + ", ".join(types) + "]"


def method(short_name, signature):
    kinds = [kind for kind in signature.split(", ") if kind] if signature else []
    ins = [kind for kind in kinds if not kind.startswith("out ")]
    outs = [kind for kind in kinds if kind.startswith("out ")]
    params = ["self"] + [f"a{i}: {IN_TYPES.get(kind, 'Any')}" for i, kind in enumerate(ins)]
    if ins:
        params.append("/")
    params += ["*", "nullout: list[int] = ...", "result_code: bool = ..."]
    return f"    def {short_name}({', '.join(params)}) -> {result_type(outs)}: ...\n"


def main(out_path):
    interfaces = {}
    for name, signature in sorted(_tavi.operations().items()):
        interface, short_name = name.split(".", 1)
        interfaces.setdefault(interface, []).append((short_name, signature))
    text = [HEAD]
    for interface, operations in interfaces.items():
        text.append(f"\nclass _{interface}(Interface):\n")
        text += [method(short_name, signature) for short_name, signature in operations]
    text.append("\nclass Object:\n    class_name: str\n")
    text.append("    def answers(self, interface: str) -> bool: ...\n")
    text.append("    def same(self, other: Object) -> bool: ...\n")
    text.append("    def __getattr__(self, name: str) -> Any: ...\n")
    text += [f"    {interface}: _{interface}\n" for interface in interfaces]
    text.append("\nclass Message(Object):\n    type: int\n    code: int\n    description: str\n")
    with open(out_path, "w", encoding="utf-8") as out:
        out.write("".join(text))


if __name__ == "__main__":
    main(sys.argv[1])
