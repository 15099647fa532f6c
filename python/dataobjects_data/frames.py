"""Archives read straight into columns: numpy arrays (read_columns) or pandas DataFrames
(read_frame, iter_frames), one row per object, the columns named and ordered as ``cls.FIELDS``.

The library decodes each object into typed buffers with the GIL released; only the values of
object columns (texts, blobs, UUIDs as text or bytes) become Python objects.

The columns' types, by field kind (``cls.FIELD_INFO``):

==========  ===================  ===================================================
kind        read_columns         read_frame
==========  ===================  ===================================================
int64       int64                int64
uint16      uint16               uint16; a nullable one UInt16 (null: <NA>)
uint32      uint32               uint32
float       float64              float64
bool        bool                 bool
str         object: str          object: str (bytes that are not UTF-8 as surrogate
            (null: None)         escapes, as to_dict() gives them; null: None)
bytes       object: bytes        object: bytes
uuid        object: str, or      uuids="str": object, the canonical text;
            bytes (16)           "category": category, the texts as categories
                                 (sorted; null: NaN); "bytes": object, 16 bytes
==========  ===================  ===================================================

In read_columns a nullable uint16 is a ``numpy.ma.MaskedArray`` (masked: null, its value 0),
and with ``uuids="category"`` a UUID column holds one str object per distinct UUID, which its
rows share.
"""
import os

import numpy as np

from ._core import _ColumnReader

__all__ = ["read_columns", "read_frame", "iter_frames"]


def _reader(source, cls, columns, uuids):
    if isinstance(source, (str, os.PathLike)):
        return _ColumnReader(os.fsencode(source), cls, columns, uuids, True)
    return _ColumnReader(source, cls, columns, uuids, False)


def _read(reader, rows):
    """(rows, payloads) of the next `rows` objects (0: all), and the error that ended them."""
    count, payloads = reader.read(rows)
    return count, payloads, reader.error


def _array(payload):
    if not isinstance(payload, tuple):
        return payload
    values, other = payload
    if values.dtype == np.int32:  # codes into categories
        return np.append(other, None)[values]
    return np.ma.MaskedArray(values, other)


def _series(payload, pd):
    if not isinstance(payload, tuple):
        return payload
    values, other = payload
    if values.dtype == np.int32:
        return pd.Categorical.from_codes(values, dtype=pd.CategoricalDtype(other))
    return pd.arrays.IntegerArray(values, other)


def _frame(count, payloads, start=0):
    import pandas as pd
    return pd.DataFrame({name: _series(p, pd) for name, p in payloads.items()},
                        index=pd.RangeIndex(start, start + count), copy=False)


def read_columns(source, cls, *, columns=None, uuids="str"):
    """Every object of class cls in `source` (a bytes-like object, a binary file or a path) as a
    dict of numpy arrays, one per field in ``cls.FIELDS`` order, or per name of `columns` in its
    order (the archive is decoded in full all the same: nothing frames an object). `uuids` is
    "str", "category" or "bytes". An object that cannot be read raises what loads() raises for
    it, with the same index and offset."""
    count, payloads, error = _read(_reader(source, cls, columns, uuids), 0)
    if error is not None:
        raise error
    return {name: _array(p) for name, p in payloads.items()}


def read_frame(source, cls, *, columns=None, uuids="str"):
    """Every object of class cls in `source` (a bytes-like object, a binary file or a path) as a
    pandas DataFrame, one row per object and one column per field in ``cls.FIELDS`` order, or per
    name of `columns` in its order. `uuids` is "str" (the canonical text), "category" (the texts
    as a categorical: a UUID repeated over many rows costs a code) or "bytes" (16 bytes). An
    object that cannot be read raises what loads() raises for it, with the same index and
    offset; an empty archive gives 0 rows with every column and its dtype."""
    count, payloads, error = _read(_reader(source, cls, columns, uuids), 0)
    if error is not None:
        raise error
    return _frame(count, payloads)


def iter_frames(source, cls, rows=1_000_000, *, columns=None, uuids="str"):
    """The objects of class cls in `source` as DataFrames of at most `rows` rows each, read as
    they are asked for, for archives larger than memory; the row labels go on from one frame to
    the next, as pandas.read_csv's chunks do. An object that cannot be read ends the frames:
    the rows before it come first, then the exception loads() raises for it. An empty archive
    yields no frame."""
    if isinstance(rows, bool) or not isinstance(rows, int) or rows < 1:
        raise ValueError(f"rows is a positive int, not {rows!r}")
    reader = _reader(source, cls, columns, uuids)
    return _frames(reader, rows)


def _frames(reader, rows):
    start = 0
    while True:
        count, payloads, error = _read(reader, rows)
        if count:
            yield _frame(count, payloads, start)
            start += count
        if error is not None:
            raise error
        if count < rows:
            return
