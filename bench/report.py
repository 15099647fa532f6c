#!/usr/bin/env python3
"""Prints the performance targets as a Markdown table from the benchmark's JSON results.

Usage: python3 bench/report.py RESULTS.json"""
import json
import sys


def main(path):
    with open(path) as f:
        results = json.load(f)
    ns = {b["name"]: b["cpu_time"] for b in results["benchmarks"] if b.get("time_unit") == "ns"}

    def t(name):
        return ns[name]

    rows = []

    def ratio(what, mine, base, target, good):
        value = t(mine) / t(base) if good == "le" else t(base) / t(mine)
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
          "BM_ByteVector_Memcpy/1048576", 3, "le")
    ratio("byte vector decode, 1 MiB (time against memcpy)", "BM_ByteVector_Decode/1048576",
          "BM_ByteVector_Memcpy/1048576", 3, "le")
    ratio("JobDataDO round trip (time against cereal)", "BM_JobDataDO_RoundTrip", "BM_JobFields_RoundTrip_Cereal",
          1, "le")
    ratio("MeasurementDataDO, 64 KiB blob, no details, round trip (time against cereal)",
          "BM_MeasurementDataDO_RoundTrip/blob:65536/details:0",
          "BM_MeasurementFields_RoundTrip_Cereal/blob:65536/details:0", 2, "le")

    base = t("BM_MeasurementDataDO_RoundTrip/blob:0/details:0")
    blob = t("BM_MeasurementDataDO_RoundTrip/blob:65536/details:0") - base
    details = t("BM_MeasurementDataDO_RoundTrip/blob:65536/details:1") - t(
        "BM_MeasurementDataDO_RoundTrip/blob:65536/details:0")
    rows.append(("200-byte details against the 64 KiB blob (added round-trip time)", f"{details:,.0f} ns",
                 f"{blob:,.0f} ns", f"{details / blob:.2f}", "< 1", "met" if details < blob else "NOT met"))
    stored = t("BM_MeasurementDataDO_RoundTripThenStore/blob:65536/details:1") - t(
        "BM_MeasurementDataDO_RoundTripThenStore/blob:65536/details:0")
    rows.append(("the same, taking the compressed details after reading (not a target)", f"{stored:,.0f} ns",
                 f"{blob:,.0f} ns", f"{stored / blob:.2f}", "", ""))

    print("| Measure | This library | Compared with | Ratio | Target | |")
    print("|---|---|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")
    context = results.get("context", {})
    print(f"\nMachine: {context.get('num_cpus')} × {context.get('mhz_per_cpu')} MHz, "
          f"{context.get('host_name', '')}, library build type {context.get('library_build_type')}, "
          f"run {context.get('date')}.")


if __name__ == "__main__":
    main(sys.argv[1])
