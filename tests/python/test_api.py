"""What the module adds around the library: conversions and their errors, null fields, the
details loader and the garbage collector, keys, copies and pickles, reading files in pieces, the
mapping of C++ exceptions, and the type stubs."""
import ast
import copy
import gc
import inspect
import io
import os
import pickle
import subprocess
import sys
import uuid
import weakref

import pytest
from hypothesis import given, settings, strategies as st

import dataobjects_data as do
from conftest import objects

A, M = do.AlarmDataDO, do.MeasurementDataDO
U = "12345678-9abc-def0-1234-56789abcdef0"


@pytest.mark.parametrize("cls,field,value,error", [
    (A, "MainAlarmCount", 65536, OverflowError), (A, "MainAlarmCount", -1, OverflowError),
    (A, "LastMeasurementTime", 1 << 63, OverflowError), (do.TrendDataDO, "NumSamples", 1 << 32,
                                                          OverflowError),
    (A, "MainAlarmCount", 1.0, TypeError), (A, "MainAlarmCount", True, TypeError),
    (A, "MainAlarmCount", "1", TypeError), (A, "Active", 1, TypeError),
    (A, "CurrentValue", "1.5", TypeError), (A, "CurrentValue", 10 ** 400, OverflowError),
    (A, "CharacteristicValueConfig", 5, TypeError), (A, "CharacteristicValueConfig", "x", ValueError),
    (A, "CharacteristicValueConfig", b"short", ValueError), (M, "BinaryData", "text", TypeError),
    (A, "LearningModeActives", 5, TypeError), (A, "Active", None, TypeError),
    (A, "NoSuchField", 1, TypeError)])
def test_wrong_types_and_ranges_are_refused(cls, field, value, error):
    obj = cls()
    before = do.dumps(obj)
    with pytest.raises(error):
        setattr(obj, field, value) if hasattr(obj, field) else cls(**{field: value})
    with pytest.raises(error):
        cls(**{field: value})
    assert do.dumps(obj) == before


def test_values_take_their_largest_and_every_accepted_form():
    raw = bytes(range(16))
    for form in (U, uuid.UUID(U), uuid.UUID(U).bytes, bytearray(uuid.UUID(U).bytes),
                 do.UuidEntryDO(U)):
        assert str(do.JobDataDO(JobConfig=form).JobConfig) == U
    a = A(MainAlarmCount=65535, LastMeasurementTime=-(1 << 63), CurrentValue=3,
          LatestSavedTimeSignal=raw, LearningModeActives=b"\xff")
    assert (a.MainAlarmCount, a.LastMeasurementTime, a.CurrentValue) == (65535, -(1 << 63), 3.0)
    assert a.LatestSavedTimeSignal.bytes == raw and a.LatestSavedTimeSignal.uuid.bytes == raw
    assert a.LearningModeActives.encode("utf-8", "surrogateescape") == b"\xff"
    j = A.from_dict({"CurrentValue": "-inf", "LearningModeActives": {"base64": "/w=="}})
    assert j.CurrentValue == float("-inf") and j.LearningModeActives == a.LearningModeActives
    assert M.from_dict({"BinaryData": "AAE="}).BinaryData == b"\0\1"
    for fields in ({"CurrentValue": "infinity"}, {"LearningModeActives": {"base64": "!!"}},
                   {"LearningModeActives": {"base64": "/w="}}, {"LatestSavedTimeSignal": "x"}):
        with pytest.raises(ValueError, match=next(iter(fields))):
            A.from_dict(fields)
    for text in ("Zm9v!*", "Zm9", "Zm9=", "AAE"):  # the tool refuses each of them too
        with pytest.raises(ValueError, match="BinaryData"):
            M.from_dict({"BinaryData": text})


def test_null_fields_read_as_none_and_hide_their_value():
    a = A(CurrentAlarmMapIndex=7, LearningModeActives="on")
    assert (a.CurrentAlarmMapIndex, a.LearningModeActives, a.LatestSavedTimeSignal) == (7, "on",
                                                                                       None)
    written = do.dumps(a)
    a.CurrentAlarmMapIndex = None
    assert a.CurrentAlarmMapIndex is None and a.to_dict()["CurrentAlarmMapIndex"] is None
    assert "(CurrentAlarmMapIndex=null)" in str(a) and len(do.dumps(a)) == len(written) - 2
    assert a != A.from_dict(do.loads(written, A)[0].to_dict())


def details_store():
    stored = {41: M(MeasurementDataDetails="sampleRate=25600").CompressedMeasurementDataDetails}
    calls = []
    return stored, calls, lambda reference: calls.append(reference) or stored.get(reference)


def test_the_loader_fetches_details_once_and_its_errors_pass_through():
    stored, calls, loader = details_store()
    m = M(ExternalReferenceMeasurementDataDetails=41)
    assert m.MeasurementDataDetails == "" and m.loader is None
    m.loader = loader
    copied = copy.copy(m)
    assert m.MeasurementDataDetails == "sampleRate=25600" == m.to_dict()["MeasurementDataDetails"]
    assert calls == [41] and m.CompressedMeasurementDataDetails == stored[41]
    other = M(ExternalReferenceMeasurementDataDetails=42)
    other.loader = loader
    assert other.MeasurementDataDetails == "" and other.MeasurementDataDetails == ""
    assert calls == [41, 42, 42], "a loader that returns nothing is asked again"
    assert copied == m and calls == [41, 42, 42, 41] and copied.loader is loader
    for bad, error in ((lambda r: 1 / 0, ZeroDivisionError), (lambda r: "x", TypeError)):
        fresh = do.CharacteristicValueDataDO(ExternalReferenceCharacteristicValueDataDetails=1)
        fresh.loader = bad
        with pytest.raises(error):
            fresh.CharacteristicValueDataDetails
    with pytest.raises(TypeError):
        m.loader = 5


class Store:
    """Objects with details kept by reference, each fetching them through the store."""

    def __init__(self, cls):
        self.stored, self.objects = {}, [cls(), cls()]
        for obj in self.objects:
            obj.loader = self.fetch

    def fetch(self, reference):
        return self.stored.get(reference)


def test_a_loader_that_holds_its_own_object_is_collected():
    stores = [Store(cls) for cls in (M, do.CharacteristicValueDataDO) for _ in range(25)]
    copies = [copy.copy(s.objects[0]) for s in stores]  # a copy shares the loader
    alive = [weakref.ref(s) for s in stores]
    del stores, copies
    gc.collect()
    assert [r() for r in alive] == [None] * 50
    assert not gc.is_tracked(do.loads(do.dumps(M()), M)[0]), "read objects stay untracked"


@pytest.mark.parametrize("kind,error,text", [
    ("library", do.SerializationException, "Deserializing of object long long failed"),
    ("bad_alloc", MemoryError, ""),
    ("length_error", RuntimeError, "C++ exception std::length_error: vector::_M_default_append"),
    ("other", RuntimeError, "C++ exception of type unsigned long (not a std::exception)")])
def test_every_cpp_exception_becomes_one_python_exception_on_every_route(kind, error, text):
    for route in (do._core._throw, do._core._throw_in_slot):  # pybind11's and the module's own
        with pytest.raises(error) as raised:
            route(kind)
        assert type(raised.value) is error and text in str(raised.value)
    assert issubclass(do.TesmiraException, ValueError)


def test_stored_details_that_do_not_decompress_raise_the_library_exception():
    m = M(MeasurementDataDetails="a=1")
    m.CompressedMeasurementDataDetails = m.CompressedMeasurementDataDetails[:-3]
    with pytest.raises(do.DataObjectException) as error:
        m.MeasurementDataDetails
    e = error.value
    assert (e.file, e.line, type(e.root_cause)) == ("MeasurementDataDO", 219,
                                                    do.CompressionException)
    assert e.reason == "Database error: deactivate all. Reason: " + e.root_cause.reason
    assert e.__cause__ is e.root_cause and str(m) == "Error converting object to string"
    with pytest.raises(do.DataObjectException):
        do.dumps([M(), m])


@settings(max_examples=20)
@given(st.lists(objects(do.JobDataDO), max_size=20))
def test_keys_are_hashable_and_ordered_as_in_cpp(jobs):
    u = sorted(do.UuidEntryDO(bytes([i]) * 16) for i in (3, 1, 2))
    assert [x.bytes[0] for x in u] == [1, 2, 3] and len({u[0], do.UuidEntryDO(u[0].bytes)}) == 1
    L = do.AlarmLearningValuesDO
    lo, hi = L.Id(u[1], 1, 9), L.Id(u[1], 2, 0)
    assert lo < hi and not hi < lo and lo > hi and hi > lo, "> holds once any part is greater"
    assert L(CharacteristicValueConfig=u[1], X=1, Y=9).key() == lo and hash(lo) == hash(L.Id(u[1], 1, 9))
    by_key = {o.key(): o for o in jobs}
    assert all(by_key[do.JobDataDO.Id(o.CurrentUuid)] is o for o in by_key.values())
    assert str(lo) == "AlarmLearningValues[%s19]" % u[1]
    with pytest.raises(TypeError):
        L.Id(u[1])
    with pytest.raises(TypeError):
        hash(L())


@pytest.mark.parametrize("cls", do.CLASSES, ids=lambda c: c.__name__)
@settings(max_examples=40)
@given(data=st.data())
def test_objects_and_keys_survive_every_round_trip(cls, data):
    obj = data.draw(objects(cls))
    archive, key = do.dumps(obj), obj.key()
    (read,) = do.loads(archive, cls)  # a NaN's sign does not travel
    copies = [(copy.copy(obj), obj), (copy.deepcopy(obj), obj),
              (cls.from_dict(obj.to_dict()), obj), (cls.from_json(obj.to_json()), read)]
    copies += [(pickle.loads(pickle.dumps(obj, protocol)), read) for protocol in range(6)]
    for twin, original in copies:
        assert type(twin) is cls and twin is not obj
        assert do.dumps(twin) == archive and str(twin) == str(original)
    keys = [copy.copy(key), copy.deepcopy(key)] + [pickle.loads(pickle.dumps(key, protocol))
                                                   for protocol in range(6)]
    assert all(k == key and hash(k) == hash(key) and str(k) == str(key) for k in keys)
    entry = next(iter(obj.to_dict().values()))  # every class's first field is a UUID
    assert all(pickle.loads(pickle.dumps(do.UuidEntryDO(entry), p)) == do.UuidEntryDO(entry)
               for p in range(6))


@settings(max_examples=20)
@given(objects(do.AlarmDataDO, zero_bytes=True))
def test_texts_keep_zero_bytes_in_memory_and_end_at_the_first_in_an_archive(obj):
    text = obj.LearningModeActives
    (back,) = do.loads(do.dumps(obj), do.AlarmDataDO)
    assert back.LearningModeActives == (None if text is None else text.split("\0")[0])
    assert obj.to_dict()["LearningModeActives"] == text
    assert obj.to_json() == back.to_json() == do.AlarmDataDO.from_json(obj.to_json()).to_json()


class Pieces(io.RawIOBase):
    """A binary file that records how much each read asks for."""

    def __init__(self, data):
        self.data, self.asked = io.BytesIO(data), []

    def read(self, size=-1):
        self.asked.append(size)
        return self.data.read(size)


def test_files_are_read_and_written_in_pieces(tmp_path):
    objects = [M(MeasurementTimeStamp=i, BinaryData=bytes([i]) * 9000) for i in range(30)]
    data = do.dumps(objects)
    source = Pieces(data)
    assert [do.dumps(o) for o in do.iter_load(source, M)] == [do.dumps(o) for o in objects]
    assert len(source.asked) > 4 and all(0 < n <= 1 << 16 for n in source.asked)
    with open(tmp_path / "m.bin", "wb") as f:
        do.dump(iter(objects * 5), f)
        do.dump(objects[0], f)
    assert open(tmp_path / "m.bin", "rb").read() == data * 5 + do.dumps(objects[0])
    assert do.loads(bytearray(data[:0]), M) == [] and list(do.iter_load(b"", M)) == []
    assert inspect.isgenerator(do.iter_load(data, M))
    for call in (lambda: do.loads(5, M), lambda: do.loads(data, int), lambda: do.dumps([1]),
                 lambda: do.iter_load(5, M), lambda: do.dumps(5)):
        with pytest.raises(TypeError):
            call()


def test_the_stubs_are_what_the_module_describes():
    stubgen = os.path.join(os.path.dirname(__file__), "..", "..", "python", "stubgen.py")
    generated = subprocess.run([sys.executable, stubgen], capture_output=True, check=True).stdout
    assert open(os.path.join(os.path.dirname(do.__file__), "__init__.pyi"), "rb").read() == generated
    stub = ast.parse(generated)
    names = {n.name for n in stub.body if isinstance(n, (ast.ClassDef, ast.FunctionDef))}
    assert {n for n in dir(do) if not n.startswith("_") and not inspect.ismodule(getattr(do, n))} \
        <= names | {"CLASSES"}
