#!/usr/bin/python3
"""Throughput of the Python module against msgpack and json, in objects per second.

Decodes 100,000 JobDataDO and 100,000 AlarmDataDO (every nullable field set, random values)
from one bytes object with loads(), encodes them with dumps(), and turns the decoded objects
into dicts with to_dict(); beside msgpack unpacking and packing the same fields as dicts (UUIDs
and blobs as bin, doubles as floats) and json.loads of the tool's JSON lines. Each operation runs
once per round, the rounds interleave the operations, and the table gives the medians.

    GLIBC_TUNABLES=glibc.malloc.mmap_threshold=268435456:glibc.malloc.trim_threshold=268435456 \
    PYTHONPATH=build/test/python /usr/bin/python3 bench/python/bench.py [--count N] [--rounds R]

(the tunables keep freed memory in the process, as scripts/dev/bench.sh does for the C++ benchmarks).
"""

import argparse
import base64
import json
import math
import random
import statistics
import sys
import time

import msgpack

import dataobjects_data as do


def uuid(rng):
    return do.UuidEntryDO(rng.getrandbits(128).to_bytes(16, "little"))


def job(rng):
    return do.JobDataDO(CurrentUuid=uuid(rng), MeasurementTimeStamp=rng.getrandbits(42),
                        JobConfig=uuid(rng))


def alarm(rng):
    return do.AlarmDataDO(
        CharacteristicValueConfig=uuid(rng), LastMeasurementTime=rng.getrandbits(42),
        CurrentValue=rng.uniform(-100, 100), MainAlarmCount=rng.getrandbits(16),
        PreAlarmCount=rng.getrandbits(16), AlarmType=rng.getrandbits(3),
        LearningModeActive=rng.random() < 0.5, IsTriggerValidator=rng.random() < 0.5,
        LearningModeActives="mode%d" % rng.getrandbits(8),
        CurrentLowerPreAlarmLevel=rng.uniform(0, 10), CurrentPreAlarmLevel=rng.uniform(10, 20),
        CurrentMainAlarmLevel=rng.uniform(20, 30), CurrentAlarmMapIndex=rng.getrandbits(8),
        Active=rng.random() < 0.5, LatestSavedTimeSignal=uuid(rng),
        AlarmStateSince=rng.getrandbits(42))


def msgpack_form(d):
    """A to_dict() dict with UUIDs as 16-byte bin."""
    return {k: bytes.fromhex(v.replace("-", "")) if isinstance(v, str) and len(v) == 36 and
            v.count("-") == 4 else v for k, v in d.items()}


def json_form(d):
    """A to_dict() dict as the tool's JSON line."""
    def value(v):
        if isinstance(v, bytes):
            return base64.b64encode(v).decode()
        if isinstance(v, float) and not math.isfinite(v):
            return "nan" if math.isnan(v) else ("inf" if v > 0 else "-inf")
        return v
    return json.dumps({k: value(v) for k, v in d.items()}, separators=(",", ":"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--count", type=int, default=100_000)
    parser.add_argument("--rounds", type=int, default=7)
    args = parser.parse_args()
    rng = random.Random(20261206)
    ops = {}
    for name, make in (("JobDataDO", job), ("AlarmDataDO", alarm)):
        cls = getattr(do, name)
        objects = [make(rng) for _ in range(args.count)]
        data = do.dumps(objects)
        dicts = [o.to_dict() for o in objects]
        packed = msgpack.packb([msgpack_form(d) for d in dicts], use_bin_type=True)
        unpacked = msgpack.unpackb(packed, raw=False)
        lines = [json_form(d) for d in dicts]
        assert do.loads(data, cls) == objects
        ops[name] = {
            "loads": lambda data=data, cls=cls: do.loads(data, cls),
            "dumps": lambda objects=objects: do.dumps(objects),
            "loads+to_dict": lambda data=data, cls=cls: [o.to_dict() for o in do.loads(data, cls)],
            "msgpack.unpackb": lambda packed=packed: msgpack.unpackb(packed, raw=False),
            "msgpack.packb": lambda unpacked=unpacked: msgpack.packb(unpacked, use_bin_type=True),
            "json.loads": lambda lines=lines: [json.loads(line) for line in lines],
        }
    times = {(c, o): [] for c in ops for o in ops[c]}
    for _ in range(args.rounds):
        for c in ops:
            for o, run in ops[c].items():
                start = time.perf_counter()
                run()
                times[(c, o)].append(time.perf_counter() - start)
    rate = {k: args.count / statistics.median(v) for k, v in times.items()}
    print("| Class | Operation | objects/s | vs msgpack | vs json.loads |")
    print("|---|---|---:|---:|---:|")
    peer = {"loads": "msgpack.unpackb", "loads+to_dict": "msgpack.unpackb",
            "dumps": "msgpack.packb"}
    for c in ops:
        for o in ops[c]:
            row = "| %s | %s | %.0f |" % (c, o, rate[(c, o)])
            row += " %.2f |" % (rate[(c, o)] / rate[(c, peer[o])]) if o in peer else " |"
            row += " %.2f |" % (rate[(c, o)] / rate[(c, "json.loads")]) if o != "dumps" and \
                o in peer else " |"
            print(row)
    targets = [("JobDataDO", "loads", 1.5), ("AlarmDataDO", "loads", 2.0),
               ("JobDataDO", "dumps", 2.0), ("AlarmDataDO", "dumps", 2.0),
               ("JobDataDO", "loads+to_dict", 0.7), ("AlarmDataDO", "loads+to_dict", 0.7)]
    print()
    for c, o, target in targets:
        ratio = rate[(c, o)] / rate[(c, peer[o])]
        print("%-12s %-14s %.2f x %s (target %.1f x): %s" % (
            c, o, ratio, peer[o], target, "met" if ratio >= target else "NOT met"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
