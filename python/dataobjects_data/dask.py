"""Many archives read in parallel with Dask: one partition per archive.

    from dataobjects_data import AlarmDataDO
    from dataobjects_data.dask import read_archives

    alarms = read_archives("fleet/*/alarms-*.bin", AlarmDataDO, include_path_column="device")
    alarms.groupby("device").MainAlarmCount.max().compute()

It runs on every Dask scheduler (threads, processes, distributed): the columnar reader releases
the GIL while it decodes, so threads read archives side by side. An archive is one partition
because nothing in it frames an object: an object's end is known only once it has been decoded,
so a partition could only start in the middle of a file after reading everything before it.
"""
import dask.dataframe as dd
import fsspec
import numpy as np
import pandas as pd
from dask.dataframe.utils import clear_known_categories
from fsspec.implementations.local import LocalFileSystem

from . import TesmiraException
from .frames import read_frame

__all__ = ["read_archives"]


class _ReadArchive:
    """One archive to one partition: a dask.dataframe.io.utils.DataFrameIOFunction, so that a
    selection of columns is pushed down into the reading."""

    def __init__(self, cls, columns, uuids, path_column, path_dtype):
        self.cls, self._columns, self.uuids = cls, list(columns), uuids  # path column included
        self.path_column, self.path_dtype = path_column, path_dtype

    @property
    def columns(self):
        return self._columns

    def project_columns(self, columns):
        path = self.path_column if self.path_column in columns else None
        return _ReadArchive(self.cls, columns, self.uuids, path, self.path_dtype)

    def __call__(self, file):
        fields = [c for c in self._columns if c != self.path_column]
        try:
            if isinstance(file.fs, LocalFileSystem):  # read without Python between the bytes
                frame = read_frame(file.path, self.cls, columns=fields, uuids=self.uuids)
            else:
                with file as f:
                    frame = read_frame(f, self.cls, columns=fields, uuids=self.uuids)
        except TesmiraException as error:
            error.args = (f"{file.path}: {error.args[0] if error.args else ''}",)
            raise
        if self.path_column is not None:
            code = self.path_dtype.categories.get_loc(file.path)
            frame[self.path_column] = pd.Categorical.from_codes(
                np.full(len(frame), code, dtype=np.int32), dtype=self.path_dtype)
        return frame if list(frame.columns) == self._columns else frame[self._columns]


def read_archives(paths, cls, *, columns=None, uuids="str", include_path_column=False,
                  storage_options=None):
    """The objects of class cls in many archives as one Dask DataFrame, one partition per archive
    in the order of `paths` (a glob's matches sorted), its columns and dtypes those of
    dataobjects_data.read_frame, known without reading any archive.

    `paths` is a path, a glob, an fsspec URL (``"s3://bucket/fleet/*/alarms.bin"``), or a list of
    them; `storage_options` goes to fsspec. `include_path_column` adds the archive's path as a
    categorical column (True: named "path"; a str names it), as in dask.dataframe.read_csv. An
    archive that cannot be read raises, when it is computed, the exception loads() raises for
    it (same class, index and offset within the archive), its text starting with the path."""
    files = fsspec.open_files(paths, mode="rb", **(storage_options or {}))
    if len(files) == 0:
        raise FileNotFoundError(f"no archive matches {paths!r}")
    meta = read_frame(b"", cls, columns=columns, uuids=uuids)
    if uuids == "category":
        meta = clear_known_categories(meta, index=False)
    path_column = "path" if include_path_column is True else include_path_column or None
    path_dtype = None
    if path_column is not None:
        if path_column in meta.columns:
            raise ValueError(f"the path column {path_column!r} is a field of {cls.__name__}: "
                             "give include_path_column another name")
        path_dtype = pd.CategoricalDtype(sorted({f.path for f in files}))
        meta[path_column] = pd.Categorical([], dtype=path_dtype)
    read = _ReadArchive(cls, meta.columns, uuids, path_column, path_dtype)
    return dd.from_map(read, list(files), meta=meta, label="read-archives",
                       enforce_metadata=False)
