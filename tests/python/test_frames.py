"""The columnar readers against loads() + to_dict(): values, dtypes and nulls of every class in
every UUID form and from every kind of source, cut and damaged archives, and Dask over a small
fleet on every scheduler."""
import glob
import io
import os
import random
import subprocess
import sys
import uuid

import numpy as np
import pandas as pd
import pytest
from hypothesis import given, settings, strategies as st

import dataobjects_data as do
from conftest import DATA, chain_of, objects

DTYPES = {"int64": "int64", "uint16": "uint16", "uint32": "uint32", "float": "float64",
          "bool": "bool", "str": object, "bytes": object}
UUIDS = ("str", "category", "bytes")


def expected_frame(objs, cls, uuids="str", columns=None):
    """The frame read_frame gives, made from to_dict()."""
    dicts = [o.to_dict() for o in objs]
    frame = {}
    names = list(cls.FIELDS if columns is None else columns)
    for name in names:
        kind, role = cls.FIELD_INFO[name]
        values = [d[name] for d in dicts]
        if kind == "uuid" and uuids == "bytes":
            values = [None if v is None else uuid.UUID(v).bytes for v in values]
        categories = pd.Index(sorted({v for v in values if v is not None}), dtype=object)
        dtype = (pd.CategoricalDtype(categories) if uuids == "category" else object) \
            if kind == "uuid" else \
            "UInt16" if role == "nullable" and kind == "uint16" else DTYPES[kind]
        frame[name] = pd.Series(values, dtype=dtype)
    return pd.DataFrame(frame, columns=names, index=pd.RangeIndex(len(objs)))


def source(data, kind, tmp_path):
    if kind == "path":
        path = tmp_path / "archive.bin"
        path.write_bytes(data)
        return path
    return {"bytes": data, "memoryview": memoryview(bytearray(data)),
            "file": io.BytesIO(data)}[kind]


def golden():
    for path in sorted(glob.glob(os.path.join(DATA, "*.bin"))):
        cls = getattr(do, os.path.basename(path).split("-")[0])
        yield pytest.param(cls, open(path, "rb").read() * 3, id=os.path.basename(path))


@pytest.mark.parametrize("cls,data", golden())
def test_golden_archives_read_as_loads_and_to_dict(cls, data):
    objs = do.loads(data, cls)
    for uuids in UUIDS:
        pd.testing.assert_frame_equal(do.read_frame(data, cls, uuids=uuids),
                                      expected_frame(objs, cls, uuids))


def test_rows_of_thousands_of_uuids_and_texts_each_read_their_own():
    rng = random.Random(3)
    pool = [rng.randbytes(16) for _ in range(3000)]
    texts = ["m", "x" * 23, "y" * 24, "\u00e9t\u00e9", "bad\udcff"] + [
        "%0*d" % (rng.choice((1, 22, 23, 24)), i) for i in range(3000)]
    objs = [do.AlarmDataDO(CharacteristicValueConfig=u, LatestSavedTimeSignal=pool[i % 7],
                           LearningModeActives=texts[i % 5 if i % 2 else i])
            for i, u in enumerate(pool)]
    for uuids in UUIDS:
        pd.testing.assert_frame_equal(do.read_frame(do.dumps(objs), do.AlarmDataDO, uuids=uuids),
                                      expected_frame(objs, do.AlarmDataDO, uuids))


def test_frames_of_many_fresh_objects_keep_their_values_as_others_die():
    """Tens of arenas of new str objects, for frames that live, die and are read again."""
    rng = random.Random(5)
    objs = [do.JobDataDO(CurrentUuid=rng.randbytes(16), JobConfig=rng.randbytes(16))
            for _ in range(20000)]
    data, expected = do.dumps(objs), expected_frame(objs, do.JobDataDO)
    frames = [do.read_frame(data, do.JobDataDO) for _ in range(8)]
    del frames[::2]
    frames += [do.read_frame(data, do.JobDataDO) for _ in range(4)]
    for frame in frames:
        pd.testing.assert_frame_equal(frame, expected)


@pytest.mark.parametrize("cls", do.CLASSES, ids=lambda c: c.__name__)
@settings(max_examples=15)
@given(data=st.data())
def test_objects_read_as_loads_and_to_dict_from_every_source(cls, data, tmp_path_factory):
    objs = data.draw(st.lists(objects(cls), max_size=5))
    if cls is do.MeasurementDataDO and data.draw(st.booleans()):
        objs.append(cls(BinaryData=bytes(range(256)) * 300))
    archive = do.dumps(objs)
    uuids = data.draw(st.sampled_from(UUIDS))
    columns = data.draw(st.none() | st.permutations(cls.FIELDS).flatmap(
        lambda names: st.integers(0, len(names)).map(lambda n: list(names[:n]))))
    kind = data.draw(st.sampled_from(["bytes", "memoryview", "file", "path"]))
    expected = expected_frame(objs, cls, uuids, columns)
    read = do.read_frame(source(archive, kind, tmp_path_factory.mktemp("a")), cls,
                         columns=columns, uuids=uuids)
    pd.testing.assert_frame_equal(read, expected, check_index_type=len(objs) > 0)
    arrays = do.read_columns(archive, cls, columns=columns, uuids=uuids)
    assert list(arrays) == list(expected.columns)
    for name, array in arrays.items():
        column = expected[name]
        if isinstance(array, np.ma.MaskedArray) or array.dtype == object:  # null: None
            assert isinstance(array, np.ma.MaskedArray) == (column.dtype == "UInt16")
            array = np.where(np.ma.getmaskarray(array), None, np.ma.getdata(array).astype(object))
            column = column.astype(object).where(column.notna(), None)
        else:
            assert array.dtype == column.dtype
        pd.testing.assert_series_equal(pd.Series(array, dtype=object), column.astype(object),
                                       check_names=False)
    rows = data.draw(st.integers(1, 4))
    frames = list(do.iter_frames(source(archive, kind, tmp_path_factory.mktemp("i")), cls, rows,
                                 columns=columns, uuids=uuids))
    assert [len(f) for f in frames] == [min(rows, len(objs) - i)
                                        for i in range(0, len(objs), rows)]
    if uuids != "category":  # each frame has the categories of its own rows
        pd.testing.assert_frame_equal(pd.concat(frames) if frames else read, read)


@pytest.mark.parametrize("cls", do.CLASSES, ids=lambda c: c.__name__)
@settings(max_examples=20)
@given(data=st.data())
def test_cut_and_damaged_archives_raise_what_loads_raises_after_their_rows(cls, data):
    archive = do.dumps(data.draw(st.lists(objects(cls), min_size=1, max_size=4)))
    at = data.draw(st.integers(0, len(archive) - 1))
    case = archive[:at] if data.draw(st.booleans()) else (
        archive[:at] + bytes([archive[at] ^ 1 << data.draw(st.integers(0, 7))]) + archive[at + 1:])
    try:
        expected = do.loads(case, cls)
        error = None
    except do.TesmiraException as e:
        error = e
        expected = do.loads(case[:e.offset], cls)
    for read in (do.read_frame, do.read_columns):
        if error is None:
            assert len(read(case, cls)[cls.FIELDS[0]]) == len(expected)
            continue
        with pytest.raises(type(error)) as raised:
            read(io.BytesIO(case), cls)
        assert (chain_of(raised.value), raised.value.index, raised.value.offset) == \
            (chain_of(error), error.index, error.offset)
    frames = []
    with pytest.raises(type(error)) if error else pytest.raises(StopIteration):
        for frame in do.iter_frames(case, cls, rows=2):
            frames.append(frame)
        raise StopIteration
    pd.testing.assert_frame_equal(pd.concat(frames) if frames else do.read_frame(b"", cls),
                                  expected_frame(expected, cls), check_index_type=False)


@pytest.mark.parametrize("call,error,text", [
    (lambda: do.read_frame(b"", do.JobDataDO, columns=["Nope"]), ValueError, "no field 'Nope'"),
    (lambda: do.read_frame(b"", do.JobDataDO, columns=["JobConfig"] * 2), ValueError, "twice"),
    (lambda: do.read_frame(b"", do.JobDataDO, columns="JobConfig"), TypeError, "list"),
    (lambda: do.read_frame(b"", do.JobDataDO, uuids="text"), ValueError, "uuids"),
    (lambda: do.read_frame(b"", do.UuidEntryDO), TypeError, "data object class"),
    (lambda: do.read_frame(42, do.JobDataDO), TypeError, "bytes, a binary file or a path"),
    (lambda: do.read_frame("/no/such/archive", do.JobDataDO), FileNotFoundError, "archive"),
    (lambda: next(do.iter_frames(b"", do.JobDataDO, rows=0)), ValueError, "positive"),
    (lambda: do.read_frame(io.StringIO("x"), do.JobDataDO), TypeError, "returns bytes"),
])
def test_wrong_arguments_are_refused(call, error, text):
    with pytest.raises(error, match=text):
        call()


def test_the_module_imports_and_reads_columns_without_pandas():
    script = ("import sys; sys.modules['pandas'] = None; import dataobjects_data as do; "
              "print(do.read_columns(do.dumps(do.JobDataDO()), do.JobDataDO)['JobConfig'][0]); "
              "do.read_frame(b'', do.JobDataDO)")
    run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True)
    assert run.stdout == "00000000-0000-0000-0000-000000000000\n"
    assert "ImportError" in run.stderr or "ModuleNotFoundError" in run.stderr


# ---- Dask -------------------------------------------------------------------------------------

@pytest.fixture(scope="module")
def fleet(tmp_path_factory):
    """Five devices' alarm archives of 0 to 40 objects; a damaged one beside them."""
    root = tmp_path_factory.mktemp("fleet")
    rng = random.Random(7)

    def draw(i):
        return do.AlarmDataDO(
            CharacteristicValueConfig=rng.randbytes(16), MainAlarmCount=rng.randrange(1 << 16),
            CurrentValue=rng.random(), LearningModeActives=None if i % 3 else f"m{i}",
            CurrentAlarmMapIndex=None if i % 2 else i,
            LatestSavedTimeSignal=None if i % 4 else rng.randbytes(16))
    for device in range(5):
        (root / f"d{device}").mkdir()
        (root / f"d{device}" / "alarms.bin").write_bytes(
            do.dumps(draw(i) for i in range(device * 10)))
    damaged = do.dumps(draw(i) for i in range(3))
    (root / "damaged.bin").write_bytes(damaged[:-1])
    return root


@pytest.mark.parametrize("scheduler", ["threads", "processes", "distributed"])
def test_read_archives_equals_pandas_on_every_scheduler(fleet, scheduler):
    from dataobjects_data.dask import read_archives
    paths = sorted(glob.glob(str(fleet / "*" / "alarms.bin")))
    ddf = read_archives(str(fleet / "*" / "alarms.bin"), do.AlarmDataDO,
                        include_path_column="device", uuids="category")
    expected = pd.concat([do.read_frame(p, do.AlarmDataDO).assign(device=p) for p in paths])
    meta = do.read_frame(b"", do.AlarmDataDO, uuids="category").dtypes.astype(str)
    assert ddf.npartitions == 5 and list(ddf.dtypes.astype(str)) == list(meta) + ["category"]
    projected = ddf[["device", "MainAlarmCount"]]  # read as asked, not in the archive's order
    if scheduler == "distributed":
        from distributed import Client, LocalCluster
        with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                          host="127.0.0.1", dashboard_address=None) as cluster, \
                Client(cluster) as client:
            frame, part = client.compute([ddf, projected], sync=True)
            with pytest.raises(do.SerializationException) as error:
                client.compute(read_archives([str(fleet / "d2" / "alarms.bin"),
                                              str(fleet / "damaged.bin")], do.AlarmDataDO),
                               sync=True)
    else:
        frame = ddf.compute(scheduler=scheduler)
        part = projected.compute(scheduler=scheduler)
        with pytest.raises(do.SerializationException) as error:
            read_archives(str(fleet / "*.bin"), do.AlarmDataDO).compute(scheduler=scheduler)
    frame["CharacteristicValueConfig"] = frame["CharacteristicValueConfig"].astype(object)
    frame["LatestSavedTimeSignal"] = frame["LatestSavedTimeSignal"].astype(object)
    pd.testing.assert_frame_equal(frame.astype({"device": object}), expected)
    assert list(part.columns) == ["device", "MainAlarmCount"]
    pd.testing.assert_frame_equal(part.astype({"device": object}),
                                  expected[["device", "MainAlarmCount"]])
    damaged = (fleet / "damaged.bin").read_bytes()
    with pytest.raises(do.SerializationException) as loads_error:
        do.loads(damaged, do.AlarmDataDO)
    assert (error.value.index, error.value.offset) == (loads_error.value.index,
                                                       loads_error.value.offset)
    assert str(error.value) == f"{fleet / 'damaged.bin'}: {loads_error.value}"
