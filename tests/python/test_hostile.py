"""Archives whose counts claim far more than they hold: every length field of every class, read
by the module (from bytes and from a file, into objects and into columns) and by the tool, fails
as a claim the allocator could grant fails, and costs no more than a few MiB."""
import io
import os
import re
import subprocess
import tempfile

import pandas  # noqa: F401 (imported before memory is measured)
import pytest

import dataobjects_data as do
from conftest import TOOL, chain_of, tool_failure

LENGTH_FIELDS = [pytest.param(cls, name, kind, id=f"{cls.__name__}.{name}")
                 for cls in do.CLASSES for name, (kind, _) in cls.FIELD_INFO.items()
                 if kind in ("str", "bytes")]
CLAIMS = (1 << 24, 1 << 30, (1 << 32) - 1)
FEW_MIB = 4 << 10  # KiB
BODY = b"\x7f" * 300


def claiming(cls, name, kind, claim=None):
    """A default object, then one whose field holds BODY behind a count that claims `claim`, or
    by default one byte more than the rest of the archive."""
    data = do.dumps([cls(), cls(**{name: BODY if kind == "bytes" else BODY.decode()})])
    at = data.rindex(b"\x02\x2c\x01" + BODY)
    claim = len(data) - at - 2 if claim is None else claim
    return data[:at] + b"\x04" + claim.to_bytes(4, "little") + data[at + 3:]


def kib(field):
    return int(re.search(field + r":\s+(\d+) kB", open("/proc/self/status").read())[1])


def peak_growth(read):
    """How far the resident set's peak rises above where it stood while `read` runs (KiB), and
    the exception `read` raises."""
    with open("/proc/self/clear_refs", "w") as f:
        f.write("5")  # the peak starts again from the resident set
    before = kib("VmRSS")
    with pytest.raises(do.TesmiraException) as error:
        read()
    return kib("VmHWM") - before, error.value


def tool_peak(cls, data):
    """The tool's peak resident set (KiB) while it dumps `data`."""
    with tempfile.NamedTemporaryFile() as file:
        file.write(data)
        file.flush()
        process = subprocess.Popen([TOOL, "dump", "--json", "--type", cls.__name__, file.name],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(process.pid, 0)
        process.returncode = 0  # reaped here
    return usage.ru_maxrss


@pytest.mark.parametrize("cls,name,kind", LENGTH_FIELDS)
def test_hostile_counts_fail_as_a_grantable_one_and_cost_a_few_mib(cls, name, kind):
    grantable = claiming(cls, name, kind)
    with pytest.raises(do.TesmiraException) as expected:
        do.loads(grantable, cls)
    expected = (chain_of(expected.value), expected.value.index, expected.value.offset)
    assert expected[1:] == (1, len(do.dumps(cls())))
    assert tool_failure(cls, grantable) == (expected[1:], expected[0])
    for claim in CLAIMS:
        hostile = claiming(cls, name, kind, claim)
        assert len(hostile) < 1000
        for read in (lambda: do.loads(hostile, cls),
                     lambda: list(do.iter_load(io.BytesIO(hostile), cls)),
                     lambda: do.read_frame(hostile, cls),
                     lambda: list(do.iter_frames(io.BytesIO(hostile), cls, rows=1))):
            growth, error = peak_growth(read)
            assert (chain_of(error), error.index, error.offset) == expected
            assert growth <= FEW_MIB, f"{growth} KiB for a claim of {claim}"
        assert tool_failure(cls, hostile) == (expected[1:], expected[0])
        assert tool_peak(cls, hostile) <= tool_peak(cls, do.dumps(cls())) + FEW_MIB
