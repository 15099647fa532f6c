#!/usr/bin/env python3
"""Plots blob throughput against blob size from the benchmark's JSON results.

Usage: python3 bench/plot.py RESULTS.json OUTPUT.png
Reads the BM_Blob_<Contender>/<size> benchmarks (a blob written and read back)."""
import json
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

LABELS = {
    "Library": "libdataobjects_data",
    "OneByteRoute": "one byte at a time",
    "Cereal": "cereal (binary)",
    "Msgpack": "msgpack",
    "Memcpy": "memcpy (ceiling)",
}


def main(results_path, output_path):
    with open(results_path) as f:
        results = json.load(f)
    series = {}
    for b in results["benchmarks"]:
        name = b.get("run_name", b["name"])
        if not name.startswith("BM_Blob_") or b.get("aggregate_name", "mean") != "mean" and "aggregate_name" in b:
            continue
        contender, size = name[len("BM_Blob_"):].split("/")
        series.setdefault(contender, []).append((int(size), b["bytes_per_second"] / 2**30))
    fig, ax = plt.subplots(figsize=(8, 5))
    for contender, label in LABELS.items():
        points = sorted(series.get(contender, []))
        if points:
            ax.plot([p[0] for p in points], [p[1] for p in points], marker="o", label=label)
    ax.set_xscale("log", base=2)
    ax.set_yscale("log")
    ax.set_xlabel("blob size (bytes)")
    ax.set_ylabel("throughput, write + read (GiB/s)")
    ax.set_title("A byte blob written to an in-memory archive and read back")
    ax.grid(True, which="both", alpha=0.3)
    ax.legend()
    fig.tight_layout()
    fig.savefig(output_path, dpi=110)
    print(f"plot written to {output_path}")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
