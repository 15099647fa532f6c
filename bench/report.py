#!/usr/bin/env python3
"""Prints the performance targets as a Markdown table from the benchmark's JSON results.

Usage: python3 bench/report.py RESULTS.json [REPEATED.json]

REPEATED.json, from a run with repetitions and aggregates only, supplies the medians of the
benchmarks it holds in place of their single results."""
import json
import sys


def main(path, repeated=None):
    with open(path) as f:
        results = json.load(f)
    ns = {b["name"]: b["cpu_time"] for b in results["benchmarks"] if b.get("time_unit") == "ns"}
    if repeated:
        with open(repeated) as f:
            for b in json.load(f)["benchmarks"]:
                if b.get("aggregate_name") == "median" and b.get("time_unit") == "ns":
                    ns[b["run_name"]] = b["cpu_time"]

    def t(name):
        return ns[name]

    rows = []

    def ratio(what, mine, base, target, good):
        if mine not in ns or base not in ns:  # a filtered run
            return
        value = t(mine) / t(base) if good == "le" else t(base) / t(mine)
        if target is None:
            rows.append((what, f"{t(mine):,.0f} ns", f"{t(base):,.0f} ns", f"{value:.2f}", "", ""))
            return
        met = value <= target if good == "le" else value >= target
        sign = "≤" if good == "le" else "≥"
        rows.append((what, f"{t(mine):,.0f} ns", f"{t(base):,.0f} ns", f"{value:.2f}", f"{sign} {target}",
                     "met" if met else "NOT met"))

    for kind, label in ((0, "random"), (1, "whole numbers")):
        ratio(f"double encode, {label} (speed-up over the stream route)", f"BM_Double_Encode/kind:{kind}",
              f"BM_Double_Encode_StreamRoute/kind:{kind}", 5, "ge")
        ratio(f"double decode, {label} (speed-up over the stream route)", f"BM_Double_Decode/kind:{kind}",
              f"BM_Double_Decode_StreamRoute/kind:{kind}", 3, "ge")
    for size, label in ((65536, "64 KiB"), (1048576, "1 MiB")):
        ratio(f"byte vector encode, {label} (speed-up over one byte at a time)", f"BM_ByteVector_Encode/{size}",
              f"BM_ByteVector_Encode_OneByteRoute/{size}", 20, "ge")
        ratio(f"byte vector decode, {label} (speed-up over one byte at a time)", f"BM_ByteVector_Decode/{size}",
              f"BM_ByteVector_Decode_OneByteRoute/{size}", 20, "ge")
    ratio("byte vector encode, 1 MiB (time against memcpy)", "BM_ByteVector_Encode/1048576",
          "BM_ByteVector_Memcpy/1048576", 2.5, "le")
    ratio("byte vector decode, 1 MiB (time against memcpy)", "BM_ByteVector_Decode/1048576",
          "BM_ByteVector_Memcpy/1048576", 2.5, "le")
    for cls, label, target in (("JobDataDO", "JobDataDO", 0.8), ("AlarmDataDO", "AlarmDataDO, every nullable field set", 2.0),
                               ("MeasurementDataDO_64KiB", "MeasurementDataDO, 64 KiB blob, no details", 1.1)):
        for archive, what in (("reused", "one archive reused"), ("new", "a new archive each")):
            ratio(f"{label} round trip, {what} (time against cereal)", f"BM_RoundTrip/{cls}/library_{archive}",
                  f"BM_RoundTrip/{cls}/cereal_{archive}", target, "le")
    ratio("JobDataDO round trip over a caller's std::stringbuf (time against the archive's own buffer)",
          "BM_RoundTrip/JobDataDO/library_callers_buffer", "BM_RoundTrip/JobDataDO/library_reused", 1.1, "le")
    ratio("making an Archive (time against a std::stringstream; not a target)", "BM_Archive_New",
          "BM_Archive_Stringstream", None, "le")
    for blob in (0, 65536):
        if f"BM_MeasurementDataDO_RoundTrip/blob:{blob}/details:1" not in ns:
            continue
        without = t(f"BM_MeasurementDataDO_RoundTrip/blob:{blob}/details:0")
        added = t(f"BM_MeasurementDataDO_RoundTrip/blob:{blob}/details:1") - without
        rows.append((f"MeasurementDataDO, {blob // 1024} KiB blob: what a 200-byte details text adds to a round "
                     "trip (not a target)", f"{added:,.0f} ns", f"{without:,.0f} ns", f"{added / without:.2f}", "",
                     ""))
    for size in (200, 8000):
        for direction in ("Compress", "Decompress"):
            ratio(f"details {direction.lower()}, {size} bytes (time against zlib with kept state; not a target)",
                  f"BM_Details_{direction}<Library>/{size}", f"BM_Details_{direction}<ZlibKeptState>/{size}",
                  None, "le")

    for size in (200, 8000):
        for direction in ("Compress", "Decompress"):
            ratio(f"details {direction.lower()}, {size} bytes, all texts different (time against zlib with kept "
                  "state; not a target)", f"BM_Details_{direction}<LibraryDistinct>/{size}",
                  f"BM_Details_{direction}<ZlibKeptState>/{size}", None, "le")
    for cls in ("MeasurementDataDO", "CharacteristicValueDataDO"):
        none = f"BM_DetailsRoundTrip/{cls}/details:0/distinct:0"
        ratio(f"{cls} round trip, a 200-byte details text repeated (time against none)",
              f"BM_DetailsRoundTrip/{cls}/details:200/distinct:0", none, 4, "le")
        for size in (200, 8000):
            ratio(f"{cls} round trip, a {size}-byte details text repeated (speed-up over texts that all differ; "
                  "not a target)", f"BM_DetailsRoundTrip/{cls}/details:{size}/distinct:0",
                  f"BM_DetailsRoundTrip/{cls}/details:{size}/distinct:1", None, "ge")
    print("| Measure | This library | Compared with | Ratio | Target | |")
    print("|---|---|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")
    context = results.get("context", {})
    print(f"\nMachine: {context.get('num_cpus')} × {context.get('mhz_per_cpu')} MHz, "
          f"{context.get('host_name', '')}, library build type {context.get('library_build_type')}, "
          f"run {context.get('date')}.")


if __name__ == "__main__":
    main(*sys.argv[1:3])
