"""The module against the C++ library's own route, the dataobjects tool: golden archives and
random objects decode to the tool's JSON and encode to the same bytes, and bad input fails with
the same exception chain, object index and offset."""
import glob
import io
import json
import os
import re

import pytest

import dataobjects_data as do
from conftest import DATA, json_line, random_object, tool

CLASSES = {cls.__name__: cls for cls in do.CLASSES}


def golden():
    for path in sorted(glob.glob(os.path.join(DATA, "*.bin"))):
        yield pytest.param(path, CLASSES[os.path.basename(path).split("-")[0]],
                           id=os.path.basename(path))


@pytest.mark.parametrize("path,cls", golden())
def test_golden_archives_decode_as_the_tool_and_encode_byte_for_byte(path, cls):
    data = open(path, "rb").read()
    text = [line[8:] for line in open(path[:-4] + ".txt") if line.startswith("# text: ")]
    (obj,) = do.loads(data, cls)
    assert [str(obj)] == [t.rstrip("\n") for t in text]
    lines, _, status = tool("dump", "--type", cls.__name__, "--json", data=data)
    assert status == 0 and [json_line(obj)] == [json.dumps(json.loads(lines[0]))]
    assert do.dumps(cls.from_dict(json.loads(lines[0]))) == data
    assert do.dumps(cls.from_dict(obj.to_dict())) == data


@pytest.mark.parametrize("cls", do.CLASSES, ids=lambda c: c.__name__)
def test_random_objects_match_the_tool_both_ways(cls, rng):
    objects = [random_object(rng, cls) for _ in range(40)]
    data = do.dumps(objects)
    assert data == b"".join(do.dumps(o) for o in objects)
    lines, _, status = tool("dump", "--type", cls.__name__, "--json", data=data)
    back = do.loads(data, cls)
    assert status == 0 and [json_line(o) for o in back] == [json.dumps(json.loads(l)) for l in lines]
    assert do.dumps(back) == data and [str(o) for o in back] == [str(o) for o in objects]
    encoded, _, status = tool("encode", "--type", cls.__name__, "-", "-o", "-",
                              data="\n".join(json_line(o) for o in objects).encode())
    assert status == 0
    assert do.dumps(cls.from_dict(json.loads(json_line(o))) for o in objects) == data


def tool_failure(cls, data):
    """The tool's report of the first object it could not read: (index, start, chain), or None."""
    lines, errors, status = tool("dump", "--type", cls.__name__, data=data)
    if status == 0:
        return len(lines), None
    head = re.match(r"dataobjects: object (\d+) \(bytes (\d+) to \d+\) could not be read:(.*)",
                    errors[0])
    chain = [re.match(r"  (?:caused by )?(\w+): (.*) \((.*):(-?\d+)\)$", e).groups()
             for e in errors[1:]]
    return (int(head[1]), int(head[2])), chain or head[3].strip()


def chain_of(error):
    chain = []
    while error is not None:
        chain.append((type(error).__name__, error.reason, error.file, str(error.line)))
        error = error.root_cause
    return chain


@pytest.mark.parametrize("cls", do.CLASSES, ids=lambda c: c.__name__)
def test_bad_input_fails_as_in_the_library(cls, rng):
    data = do.dumps(random_object(rng, cls) for _ in range(3))
    cases = [data[:rng.randrange(len(data))] for _ in range(12)]
    for _ in range(12):
        flipped = bytearray(data)
        flipped[rng.randrange(len(data))] ^= 1 << rng.randrange(8)
        cases.append(bytes(flipped))
    for case in cases:
        where, expected = tool_failure(cls, case)
        read = []
        try:
            for obj in do.iter_load(io.BytesIO(case), cls):
                read.append(obj)
            assert expected is None and len(read) == where
        except do.TesmiraException as error:
            assert (where, expected) == ((error.index, error.offset), chain_of(error))
            assert len(read) == error.index
            with pytest.raises(type(error)) as again:
                do.loads(case, cls)
            assert chain_of(again.value) == expected and again.value.offset == error.offset
        except (MemoryError, ValueError, OverflowError):
            assert isinstance(expected, str)  # a length too large to hold
