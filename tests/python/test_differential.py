"""The module against the C++ library's own route, the dataobjects tool: golden archives and
objects of every class decode to the tool's JSON lines and encode to the same bytes, and bad
input fails with the same exception chain, object index and offset."""
import glob
import io
import json
import os
import subprocess

import pytest
from hypothesis import given, settings, strategies as st

import dataobjects_data as do
from conftest import DATA, TOOL, chain_of, objects, tool, tool_failure

CLASSES = {cls.__name__: cls for cls in do.CLASSES}
EACH_CLASS = pytest.mark.parametrize("cls", do.CLASSES, ids=lambda c: c.__name__)


def golden():
    for path in sorted(glob.glob(os.path.join(DATA, "*.bin"))):
        yield pytest.param(path, CLASSES[os.path.basename(path).split("-")[0]],
                           id=os.path.basename(path))


@pytest.mark.parametrize("path,cls", golden())
def test_golden_archives_decode_as_the_tool_and_encode_byte_for_byte(path, cls):
    data = open(path, "rb").read()
    text = [line[8:].rstrip("\n") for line in open(path[:-4] + ".txt") if line.startswith("# text: ")]
    (obj,) = do.loads(data, cls)
    lines, _, status = tool("dump", "--type", cls.__name__, "--json", data=data)
    assert [str(obj)] == text and status == 0 and [obj.to_json()] == lines
    for back in (cls.from_json(lines[0]), cls.from_dict(json.loads(lines[0])),
                 cls.from_dict(obj.to_dict())):
        assert do.dumps(back) == data


@EACH_CLASS
@settings(max_examples=30)
@given(data=st.data())
def test_objects_match_the_tool_both_ways(cls, data):
    written = data.draw(st.lists(objects(cls, zero_bytes=True), max_size=6))
    archive = do.dumps(written)
    lines, _, status = tool("dump", "--type", cls.__name__, "--json", data=archive)
    back = do.loads(archive, cls)
    assert status == 0 and [o.to_json() for o in written] == [o.to_json() for o in back] == lines
    encoded = tool_output("encode", "--type", cls.__name__, "-", "-o", "-",
                          data="".join(line + "\n" for line in lines).encode())
    assert encoded == do.dumps(back) == do.dumps(cls.from_json(line) for line in lines)


def tool_output(*args, data):
    return subprocess.run([TOOL, *args], input=data, capture_output=True, check=True).stdout


@EACH_CLASS
@settings(max_examples=25)
@given(data=st.data())
def test_bad_input_fails_as_in_the_library(cls, data):
    archive = do.dumps(data.draw(st.lists(objects(cls), min_size=1, max_size=3)))
    at = data.draw(st.integers(0, len(archive) - 1))
    case = archive[:at] if data.draw(st.booleans()) else (
        archive[:at] + bytes([archive[at] ^ 1 << data.draw(st.integers(0, 7))]) + archive[at + 1:])
    where, expected = tool_failure(cls, case)
    read = []
    try:
        for obj in do.iter_load(io.BytesIO(case), cls):
            read.append(obj)
        assert expected is None and len(read) == where
    except do.TesmiraException as error:
        assert (where, expected) == ((error.index, error.offset), chain_of(error))
        assert len(read) == error.index and isinstance(error, ValueError)
        with pytest.raises(type(error)) as again:
            do.loads(case, cls)
        assert chain_of(again.value) == expected and again.value.offset == error.offset
