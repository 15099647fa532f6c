"""Writes the type stubs of dataobjects_data (python/dataobjects_data/__init__.pyi) from the
module itself: each class's attributes and keyword arguments from its FIELD_INFO, the rest from
the text below. The tests check that the committed stubs are what this prints.

    PYTHONPATH=build/test/python /usr/bin/python3 python/stubgen.py > python/dataobjects_data/__init__.pyi
"""
import sys

HEAD = '''"""Type stubs of dataobjects_data: the data object classes of libdataobjects_data.

Written by python/stubgen.py from the module's field descriptions; do not edit."""
import os
from typing import (IO, Any, Callable, ClassVar, Generator, Iterable, Iterator, Literal, Mapping,
                    Sequence, TypeVar, Union)
import uuid as _uuid

import numpy
import pandas

__version__: str

Buffer = Union[bytes, bytearray, memoryview]
UuidLike = Union["UuidEntryDO", str, _uuid.UUID, bytes, bytearray]

class TesmiraException(ValueError):
    """A failure of the library, with the file and line of its throw site."""
    reason: str
    file: str
    line: int
    root_cause: TesmiraException | None
    index: int  # the readers only: the object that could not be read
    offset: int  # the readers only: the byte where that object started

class DataObjectException(TesmiraException): ...
class SerializationException(TesmiraException): ...
class CompressionException(TesmiraException): ...

class UuidEntryDO:
    """A UUID reference: equal, ordered and hashable by value; str() is its text."""
    def __init__(self, value: UuidLike = ...) -> None: ...
    @staticmethod
    def generate() -> UuidEntryDO: ...
    @property
    def bytes(self) -> bytes: ...
    @property
    def uuid(self) -> _uuid.UUID: ...
    def __lt__(self, other: UuidEntryDO) -> bool: ...
    def __le__(self, other: UuidEntryDO) -> bool: ...
    def __gt__(self, other: UuidEntryDO) -> bool: ...
    def __ge__(self, other: UuidEntryDO) -> bool: ...
    def __hash__(self) -> int: ...

class _Key:
    """A class's key: hashable; < by the first part that differs, > once any part is greater."""
    def __init__(self, *parts: Any) -> None: ...
    def __lt__(self, other: Any) -> bool: ...
    def __le__(self, other: Any) -> bool: ...
    def __gt__(self, other: Any) -> bool: ...
    def __ge__(self, other: Any) -> bool: ...
    def __hash__(self) -> int: ...
'''

CLASS = '''
class {name}:
    """A data object; the fields, in archive order: {fields}."""
    FIELDS: ClassVar[tuple[str, ...]]
    FIELD_INFO: ClassVar[dict[str, tuple[str, str]]]
{attributes}
    class Id(_Key): ...
    def __init__(self, *, {arguments}) -> None: ...
    def to_dict(self) -> dict[str, Any]: ...
    @classmethod
    def from_dict(cls, d: Mapping[str, Any]) -> {name}: ...
    def to_json(self) -> str: ...
    @classmethod
    def from_json(cls, line: str | bytes) -> {name}: ...
    def key(self) -> {name}.Id: ...
    def __eq__(self, other: object) -> bool: ...
    __hash__: ClassVar[None]  # type: ignore[assignment]
'''

TAIL = '''
DataObject = Union[{classes}]
T = TypeVar("T", {classes})

CLASSES: tuple[type, ...]

def dumps(objects: DataObject | Iterable[DataObject]) -> bytes: ...
def dump(objects: DataObject | Iterable[DataObject], file: IO[bytes]) -> None: ...
def loads(data: Buffer, cls: type[T]) -> list[T]: ...
def iter_load(input: Buffer | IO[bytes], cls: type[T]) -> Generator[T, None, None]: ...

Source = Union[Buffer, IO[bytes], str, os.PathLike[str]]
UuidForm = Literal["str", "category", "bytes"]

def read_columns(source: Source, cls: type, *, columns: Sequence[str] | None = ...,
                 uuids: UuidForm = ...) -> dict[str, numpy.ndarray]: ...
def read_frame(source: Source, cls: type, *, columns: Sequence[str] | None = ...,
               uuids: UuidForm = ...) -> pandas.DataFrame: ...
def iter_frames(source: Source, cls: type, rows: int = ..., *,
                columns: Sequence[str] | None = ...,
                uuids: UuidForm = ...) -> Iterator[pandas.DataFrame]: ...
'''

# What a field of each kind reads as, and what it is set from.
READS = {"uuid": "UuidEntryDO", "int64": "int", "uint16": "int", "uint32": "int",
         "float": "float", "bool": "bool", "str": "str", "bytes": "bytes"}
TAKES = dict(READS, uuid="UuidLike", str="str | bytes", bytes="Buffer")


def class_stub(cls):
    attributes, arguments = [], []
    for name, (kind, role) in cls.FIELD_INFO.items():
        null = " | None" if role == "nullable" else ""
        attributes.append(f"    {name}: {READS[kind]}{null}")
        arguments.append(f"{name}: {TAKES[kind]}{null} = ...")
    if hasattr(cls, "loader"):
        stored = next(n for n in dir(cls) if n.startswith("Compressed"))
        attributes += [f"    {stored}: bytes",
                       "    loader: Callable[[int], bytes | None] | None"]
    return CLASS.format(name=cls.__name__, fields=" ".join(cls.FIELDS),
                        attributes="\n".join(attributes), arguments=", ".join(arguments))


def stubs(module):
    classes = ", ".join(cls.__name__ for cls in module.CLASSES)
    return HEAD + "".join(class_stub(cls) for cls in module.CLASSES) + TAIL.format(classes=classes)


if __name__ == "__main__":
    del sys.path[0]  # this folder holds the package's sources, not the built module
    import dataobjects_data
    sys.stdout.write(stubs(dataobjects_data))
