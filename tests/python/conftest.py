"""Shared helpers of the module's tests: the tool to compare with, random objects, and the tool's
JSON form of to_dict()'s values."""
import base64
import json
import math
import os
import random
import struct
import subprocess

import pytest

import dataobjects_data as do

TOOL = os.environ.get("DATAOBJECTS_TOOL", "dataobjects")
DATA = os.environ.get("DATAOBJECTS_TEST_DATA",
                      os.path.join(os.path.dirname(__file__), "..", "data"))


def tool(*args, data=b""):
    """Runs the dataobjects tool: (stdout lines, stderr lines, exit status)."""
    run = subprocess.run([TOOL, *args], input=data, capture_output=True, check=False)
    out, err = (s.decode(errors="surrogateescape").splitlines() for s in (run.stdout, run.stderr))
    return out, err, run.returncode


def json_value(v):
    """A to_dict() value as dump --json writes it."""
    if isinstance(v, bytes):
        return base64.b64encode(v).decode()
    if isinstance(v, float) and not math.isfinite(v):
        return "nan" if math.isnan(v) else ("inf" if v > 0 else "-inf")
    if isinstance(v, str):
        raw = v.encode("utf-8", "surrogateescape")
        try:
            raw.decode("utf-8")
        except UnicodeDecodeError:
            return {"base64": base64.b64encode(raw).decode()}
    return v


def json_line(obj):
    return json.dumps({k: json_value(v) for k, v in obj.to_dict().items()})


def random_value(rng, kind):
    bits = rng.getrandbits(64) >> rng.randrange(64)
    if kind == "uuid":
        return do.UuidEntryDO(rng.randbytes(16))
    if kind == "int64":
        return bits - (1 << 63) if bits >> 63 else bits * rng.choice((1, -1))
    if kind in ("uint16", "uint32"):
        return bits % (1 << (16 if kind == "uint16" else 32))
    if kind == "bool":
        return rng.random() < 0.5
    if kind == "float":
        special = rng.choice((0.0, -0.0, 1.5, math.inf, -math.inf, math.nan, 1e300))
        return special if rng.random() < 0.3 else struct.unpack("<d", rng.randbytes(8))[0]
    raw = bytes(rng.choice(b"abc xyz=;\xc3\xa9\xff\x80") for _ in range(rng.randrange(24)))
    return raw if kind == "bytes" else raw.decode("utf-8", "surrogateescape")


def random_object(rng, cls):
    fields = {}
    for name, (kind, role) in cls.FIELD_INFO.items():
        nullable = role == "nullable" and rng.random() < 0.3
        fields[name] = None if nullable else random_value(rng, kind)
    return cls(**fields)


@pytest.fixture
def rng():
    return random.Random(20261206)
