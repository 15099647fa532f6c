"""Shared helpers of the module's tests: the tool to compare with, and objects of every class
drawn by hypothesis from each field's kind, extremes included."""
import os
import re
import subprocess

from hypothesis import HealthCheck, settings, strategies as st

import dataobjects_data as do

TOOL = os.environ.get("DATAOBJECTS_TOOL", "dataobjects")
DATA = os.environ.get("DATAOBJECTS_TEST_DATA",
                      os.path.join(os.path.dirname(__file__), "..", "data"))

# The same examples on every run, and no example database left behind.
settings.register_profile("repeatable", derandomize=True, database=None, deadline=None,
                          suppress_health_check=[HealthCheck.too_slow])
settings.load_profile("repeatable")


def tool(*args, data=b""):
    """Runs the dataobjects tool: (stdout lines, stderr lines, exit status)."""
    run = subprocess.run([TOOL, *args], input=data, capture_output=True, check=False)
    out, err = (s.decode(errors="surrogateescape").splitlines() for s in (run.stdout, run.stderr))
    return out, err, run.returncode


def texts(zero=False):
    """Texts of any bytes (those that are not UTF-8 as surrogate escapes); with a zero byte only
    if `zero`, since an archive's text ends at its first one."""
    raw = st.binary(max_size=40) if zero else st.binary(max_size=40).map(
        lambda b: b.replace(b"\0", b"0"))
    return raw.map(lambda b: b.decode("utf-8", "surrogateescape"))


VALUES = {
    "uuid": st.binary(min_size=16, max_size=16).map(do.UuidEntryDO),
    "int64": st.integers(-(1 << 63), (1 << 63) - 1),
    "uint16": st.integers(0, (1 << 16) - 1),
    "uint32": st.integers(0, (1 << 32) - 1),
    "bool": st.booleans(),
    "float": st.floats(),
    "str": texts(),
    "bytes": st.binary(max_size=300),
}


def objects(cls, zero_bytes=False):
    """Objects of `cls` with every field drawn; nullable fields null or not."""
    fields = {}
    for name, (kind, role) in cls.FIELD_INFO.items():
        value = texts(zero=True) if kind == "str" and zero_bytes else VALUES[kind]
        fields[name] = st.none() | value if role == "nullable" else value
    return st.fixed_dictionaries(fields).map(lambda f: cls(**f))


def tool_failure(cls, data):
    """The tool's report of the first object it could not read: ((index, start), chain), or
    (objects read, None)."""
    lines, errors, status = tool("dump", "--type", cls.__name__, "--json", data=data)
    if status == 0:
        return len(lines), None
    head = re.match(r"dataobjects: object (\d+) \(bytes (\d+) to \d+\) could not be read:(.*)",
                    errors[0])
    chain = [re.match(r"  (?:caused by )?(\w+): (.*) \((.*):(-?\d+)\)$", e).groups()
             for e in errors[1:]]
    return (int(head[1]), int(head[2])), chain or head[3].strip()


def chain_of(error):
    """An exception and its root causes as the tool prints them: (name, reason, file, line)."""
    chain = []
    while error is not None:
        chain.append((type(error).__name__, error.reason, error.file, str(error.line)))
        error = error.root_cause
    return chain
