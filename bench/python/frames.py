#!/usr/bin/python3
"""The columnar readers against the ways to a DataFrame without them, side by side in one run.

1. Rows per second, each from one bytes object of --count objects per class (JobDataDO,
   AlarmDataDO with every nullable field set, MeasurementDataDO with a 1 KiB blob; random values),
   once with every UUID random and once with the references a fleet repeats (JobConfig,
   CharacteristicValueConfig, MeasurementConfig, JobData) drawn from 64 UUIDs: read_frame with
   uuids "str", "category" and "bytes"; the same frame from
   pd.DataFrame([o.to_dict() for o in loads(...)]); pandas.read_pickle of read_frame's frame
   (from memory); msgpack.unpackb of the same fields (UUIDs and blobs as bin) + pd.DataFrame.
   One class at a time, with only its data in memory; the rounds interleave the contenders, and
   the table gives the medians.
2. Peak memory of read_frame from a path, each class in a fresh process (without the tunables
   below): how far the resident set's peak rises above where it stood, against twice the frame's
   memory_usage(deep=True) plus the archive's size.
3. Dask: read_archives over a fleet of --archives AlarmDataDO archives of --fleet-count objects
   each, the numeric columns only, grouped by AlarmType (mean CurrentValue, max MainAlarmCount,
   sum PreAlarmCount): distributed with one and two worker processes of one thread, and the
   threaded scheduler with one and two threads.

    GLIBC_TUNABLES=glibc.malloc.mmap_threshold=268435456:glibc.malloc.trim_threshold=8589934592 \
    PYTHONPATH=build/test/python /usr/bin/python3 bench/python/frames.py [--count N] [--rounds R]

The tunables keep freed memory in the process, as for the other benchmarks; the trim threshold is
8 GiB here because a contender's frame of MeasurementDataDO holds 1 GiB of blobs, which a lower
threshold hands back to the system after each contender, for the next to fault in again.
"""

import argparse
import io
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

import msgpack
import pandas as pd

import dataobjects_data as do
from bench import alarm, job, msgpack_form, uuid


def measurement(rng):
    return do.MeasurementDataDO(
        CurrentUuid=uuid(rng), MeasurementTimeStamp=rng.getrandbits(42),
        MeasurementConfig=uuid(rng), BinaryData=rng.randbytes(1024), JobData=uuid(rng),
        SavedByAlarmStatusChange=rng.random() < 0.5)


MAKERS = (("JobDataDO", job), ("AlarmDataDO", alarm), ("MeasurementDataDO", measurement))
# The references that a fleet's archives repeat: a few configurations and jobs over many rows.
REFERENCES = {"JobDataDO": ["JobConfig"], "AlarmDataDO": ["CharacteristicValueConfig"],
              "MeasurementDataDO": ["MeasurementConfig", "JobData"]}


def made(name, make, rng, count, fleet):
    """`count` objects; with `fleet`, each reference drawn from 64 UUIDs instead of random."""
    pool = [uuid(rng) for _ in range(64)]
    for _ in range(count):
        obj = make(rng)
        for field in REFERENCES[name] if fleet else ():
            setattr(obj, field, rng.choice(pool))
        yield obj
PEAK = """
import os, sys
import pandas as pd
import dataobjects_data as do
def kib(field):
    return int(next(l for l in open("/proc/self/status") if l.startswith(field)).split()[1])
open("/proc/self/clear_refs", "w").write("5")
before = kib("VmRSS")
frame = do.read_frame(sys.argv[1], getattr(do, sys.argv[2]))
print(kib("VmHWM") - before, frame.memory_usage(deep=True).sum() // 1024, len(frame))
"""


def rows_per_second(args, rng, fleet):
    rate = {}
    for name, make in MAKERS:  # one class at a time, so that only its data is in memory
        cls = getattr(do, name)
        objects = list(made(name, make, rng, args.count, fleet))
        data = do.dumps(objects)
        packed = msgpack.packb([msgpack_form(o.to_dict()) for o in objects], use_bin_type=True)
        del objects
        pickled = io.BytesIO()
        do.read_frame(data, cls).to_pickle(pickled)
        pickled = pickled.getvalue()
        contenders = {
            "read_frame str": lambda: do.read_frame(data, cls),
            "read_frame category": lambda: do.read_frame(data, cls, uuids="category"),
            "read_frame bytes": lambda: do.read_frame(data, cls, uuids="bytes"),
            "loads+to_dict+DataFrame": lambda: pd.DataFrame(
                [o.to_dict() for o in do.loads(data, cls)]),
            "pandas.read_pickle": lambda: pd.read_pickle(io.BytesIO(pickled)),
            "msgpack+DataFrame": lambda: pd.DataFrame(msgpack.unpackb(packed, raw=False)),
        }
        times = {o: [] for o in contenders}
        for _ in range(args.rounds):
            for o, run in contenders.items():
                start = time.perf_counter()
                result = run()
                times[o].append(time.perf_counter() - start)
                del result
        for o, spent in times.items():
            rate[(name, o)] = args.count / statistics.median(spent)
        del data, packed, pickled, contenders
    contenders = {name: [o for (c, o) in rate if c == name] for name, _ in MAKERS}
    print("\n%s UUIDs, %d objects per class\n" % (
        "Fleet-like (references from 64)" if fleet else "Random", args.count))
    print("| Class | Route to a DataFrame | rows/s | read_frame str vs it |")
    print("|---|---|---:|---:|")
    for c in contenders:
        for o in contenders[c]:
            print("| %s | %s | %.0f | %.2f |" % (c, o, rate[(c, o)],
                                                 rate[(c, "read_frame str")] / rate[(c, o)]))
    print()
    for c in contenders:
        ratio = rate[(c, "read_frame str")] / rate[(c, "loads+to_dict+DataFrame")]
        print("%-18s read_frame str %.1f x loads+to_dict+DataFrame (target 10 x): %s" % (
            c, ratio, "met" if ratio >= 10 else "NOT met"))


def peak_memory(args, rng, folder):
    print("\n| Class | rows | archive MiB | frame MiB (deep) | peak growth MiB | bound MiB |")
    print("|---|---:|---:|---:|---:|---:|")
    env = {k: v for k, v in os.environ.items() if k != "GLIBC_TUNABLES"}
    for name, make in MAKERS:
        path = os.path.join(folder, name + ".bin")
        with open(path, "wb") as f:
            do.dump(made(name, make, rng, args.count, False), f)
        run = subprocess.run([sys.executable, "-c", PEAK, path, name], env=env, check=True,
                             capture_output=True, text=True)
        growth, frame, rows = (int(x) for x in run.stdout.split())
        archive = os.path.getsize(path) // 1024
        bound = 2 * frame + archive
        print("| %s | %d | %.0f | %.0f | %.0f | %.0f (%s) |" % (
            name, rows, archive / 1024, frame / 1024, growth / 1024, bound / 1024,
            "within" if growth <= bound else "EXCEEDED"))
        os.remove(path)


def dask_scaling(args, rng, folder):
    import dask
    from distributed import Client, LocalCluster
    from dataobjects_data.dask import read_archives

    data = do.dumps(made("AlarmDataDO", alarm, rng, args.fleet_count, True))
    for i in range(args.archives):  # the same objects in each: the work is what counts
        with open(os.path.join(folder, "alarms-%03d.bin" % i), "wb") as f:
            f.write(data)
    numeric = [n for n, (kind, _) in do.AlarmDataDO.FIELD_INFO.items()
               if kind in ("int64", "uint16", "float", "bool")]
    fleet = read_archives(os.path.join(folder, "alarms-*.bin"), do.AlarmDataDO, columns=numeric)
    query = fleet.groupby("AlarmType").agg(
        {"CurrentValue": "mean", "MainAlarmCount": "max", "PreAlarmCount": "sum"})
    rows = args.archives * args.fleet_count

    def timed(compute, settle=lambda: None):
        compute()  # warm-up: imports, pools, the files in the page cache
        settle()
        runs = []
        for _ in range(args.rounds):
            start = time.perf_counter()
            compute()
            runs.append(time.perf_counter() - start)
            settle()
        return statistics.median(runs)

    def forgotten(client):
        """Waits until the scheduler has let go of the last run's results, which a run of the
        same graph would otherwise take instead of computing them."""
        while client.run_on_scheduler(lambda dask_scheduler: len(dask_scheduler.tasks)):
            time.sleep(0.01)

    seconds = {}
    for threads in (1, 2):
        with dask.config.set(scheduler="threads", num_workers=threads):
            seconds[("threads", threads)] = timed(query.compute)
    for workers in (1, 2):
        with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                          host="127.0.0.1", dashboard_address=None) as cluster, \
                Client(cluster) as client:
            seconds[("distributed", workers)] = timed(lambda: client.compute(query, sync=True),
                                                      lambda: forgotten(client))
    print("\n| Scheduler | workers | seconds | rows/s | speed-up |")
    print("|---|---:|---:|---:|---:|")
    for (scheduler, n), s in seconds.items():
        print("| %s | %d | %.2f | %.0f | %.2f |" % (scheduler, n, s, rows / s,
                                                   seconds[(scheduler, 1)] / s))
    print()
    for scheduler in ("threads", "distributed"):
        ratio = seconds[(scheduler, 1)] / seconds[(scheduler, 2)]
        print("%-12s two workers %.2f x one (target 1.6 x): %s" % (
            scheduler, ratio, "met" if ratio >= 1.6 else "NOT met"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--count", type=int, default=1_000_000, help="objects per class")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--archives", type=int, default=64)
    parser.add_argument("--fleet-count", type=int, default=100_000, help="objects per archive")
    parser.add_argument("--only", choices=("rows", "memory", "dask"))
    args = parser.parse_args()
    rng = random.Random(20261206)
    with tempfile.TemporaryDirectory() as folder:
        if args.only in (None, "rows"):
            rows_per_second(args, rng, fleet=False)
            rows_per_second(args, rng, fleet=True)
        if args.only in (None, "memory"):
            peak_memory(args, rng, folder)
        if args.only in (None, "dask"):
            dask_scaling(args, rng, folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
