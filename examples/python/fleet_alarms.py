#!/usr/bin/python3
"""A fleet's week: the characteristic values and alarm states of many devices, one archive of each
class per device and day, read in parallel with Dask on a local cluster of worker processes, the
time in main alarm and the alarm changes per device and day summed up and drawn as a heat map.

    PYTHONPATH=build/test/python examples/python/fleet_alarms.py --out /tmp/fleet

writes DIR/fleet/devNNN/YYYY-MM-DD-values.bin (CharacteristicValueDataDO) and
DIR/fleet/devNNN/YYYY-MM-DD-alarms.bin (AlarmDataDO, the state after each value), then
DIR/fleet_alarms.csv (device, day, hours in main alarm, alarm changes, peak value) and
DIR/fleet_alarms.png. With --scheduler tcp://HOST:8786 it reads on a running cluster instead, with
--workers 0 on Dask's threads in its own process.
"""
import argparse
import math
import os
import random
import sys
from datetime import datetime, timedelta, timezone

import dataobjects_data as do

PRE_ALARM, MAIN_ALARM = 4.5, 7.1  # mm/s, vibration velocity levels
NONE, PRE, MAIN = 0, 1, 2  # the alarm types this example uses
START = datetime(2026, 11, 30, tzinfo=timezone.utc)


def device_week(rng, days, minutes):
    """One device's values and alarm states, day by day: a daily load cycle, on some devices a
    bearing that wears from a random day on, on others short shocks."""
    config, job = do.UuidEntryDO(rng.randbytes(16)), do.UuidEntryDO(rng.randbytes(16))
    wear_from = rng.uniform(0, days * 1.5) if rng.random() < 0.3 else math.inf
    shocks = rng.random() < 0.2
    alarm = do.AlarmDataDO(CharacteristicValueConfig=config, CurrentLowerPreAlarmLevel=0.5,
                           CurrentPreAlarmLevel=PRE_ALARM, CurrentMainAlarmLevel=MAIN_ALARM,
                           Active=True)
    per_day = 24 * 60 // minutes
    for day in range(days):
        values, alarms = [], []
        for i in range(per_day):
            hours = day * 24 + i * minutes / 60
            load = 2.2 + 0.8 * math.sin(2 * math.pi * (hours - 8) / 24)
            wear = 1.8 * max(0.0, hours / 24 - wear_from) ** 1.5
            shock = 6 if shocks and rng.random() < 0.02 else 0
            value = round(max(0.1, load + wear + shock + rng.gauss(0, 0.25)), 3)
            at = int((START.timestamp() + hours * 3600) * 1000)
            kind = MAIN if value >= MAIN_ALARM else PRE if value >= PRE_ALARM else NONE
            values.append(do.CharacteristicValueDataDO(
                CurrentUuid=do.UuidEntryDO(rng.randbytes(16)), MeasurementTimeStamp=at,
                CharacteristicValueConfig=config, JobData=job, Value=value, AlarmType=kind,
                SavedByAlarmStatusChange=kind != alarm.AlarmType))
            if kind != alarm.AlarmType:
                alarm.AlarmStateSince = at
            alarm.LastMeasurementTime, alarm.CurrentValue, alarm.AlarmType = at, value, kind
            alarm.PreAlarmCount = min(65535, alarm.PreAlarmCount + (kind == PRE))
            alarm.MainAlarmCount = min(65535, alarm.MainAlarmCount + (kind == MAIN))
            alarm.LatestSavedTimeSignal = values[-1].CurrentUuid
            alarms.append(do.dumps(alarm))
        yield day, values, b"".join(alarms)


def write_fleet(root, devices, days, minutes, seed=11):
    rng = random.Random(seed)
    for device in range(devices):
        folder = os.path.join(root, "dev%03d" % device)
        os.makedirs(folder, exist_ok=True)
        for day, values, alarms in device_week(rng, days, minutes):
            name = (START + timedelta(days=day)).strftime("%Y-%m-%d")
            with open(os.path.join(folder, name + "-values.bin"), "wb") as f:
                do.dump(values, f)
            with open(os.path.join(folder, name + "-alarms.bin"), "wb") as f:
                f.write(alarms)


def device_day(frame):
    """The device and day of a partition, from its archive's path."""
    path = str(frame["archive"].iloc[0])
    return os.path.basename(os.path.dirname(path)), os.path.basename(path)[:10]


def alarm_row(alarms, minutes):
    """One device-day's alarm states to a row: each state lasts until the next value."""
    import pandas as pd
    if len(alarms) == 0:
        return pd.DataFrame({"device": [], "day": [], "main_hours": [], "changes": []})
    held = alarms.LastMeasurementTime.diff(-1).abs().fillna(minutes * 60_000)
    device, day = device_day(alarms)
    return pd.DataFrame({
        "device": [device], "day": [day],
        "main_hours": [held[alarms.AlarmType == MAIN].sum() / 3_600_000],
        "changes": [int((alarms.AlarmStateSince == alarms.LastMeasurementTime).sum())]})


def value_row(values):
    import pandas as pd
    if len(values) == 0:
        return pd.DataFrame({"device": [], "day": [], "peak": []})
    device, day = device_day(values)
    return pd.DataFrame({"device": [device], "day": [day], "peak": [values.Value.max()]})


def summarize(root, minutes, client):
    """Hours in main alarm, alarm changes and peak value per device and day."""
    import dask
    from dataobjects_data.dask import read_archives
    alarms = read_archives(os.path.join(root, "*", "*-alarms.bin"), do.AlarmDataDO,
                           columns=["LastMeasurementTime", "AlarmType", "AlarmStateSince"],
                           include_path_column="archive")
    values = read_archives(os.path.join(root, "*", "*-values.bin"), do.CharacteristicValueDataDO,
                           columns=["Value"], include_path_column="archive")
    alarm_rows = alarms.map_partitions(alarm_row, minutes, meta={
        "device": object, "day": object, "main_hours": float, "changes": "int64"})
    value_rows = values.map_partitions(value_row, meta={
        "device": object, "day": object, "peak": float})
    if client is None:  # Dask's threads in this process
        alarm_rows, value_rows = dask.compute(alarm_rows, value_rows, scheduler="threads")
    else:
        alarm_rows, value_rows = client.compute([alarm_rows, value_rows], sync=True)
    summary = alarm_rows.merge(value_rows, on=["device", "day"])
    return summary.sort_values(["device", "day"]).reset_index(drop=True)


def plot(summary, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    grid = summary.pivot(index="device", columns="day", values="main_hours")
    worst = summary.groupby("device").main_hours.sum().sort_values(ascending=False)
    fig, (ax, side) = plt.subplots(1, 2, figsize=(11, 6.2), dpi=100,
                                   gridspec_kw={"width_ratios": [3, 1.3]})
    image = ax.imshow(grid.to_numpy(), aspect="auto", cmap="magma_r", interpolation="nearest",
                      vmin=0)
    ax.set_xticks(range(len(grid.columns)), [d[5:] for d in grid.columns])
    step = max(1, len(grid) // 20)
    ax.set_yticks(range(0, len(grid), step), grid.index[::step])
    ax.set_xlabel("day")
    ax.set_title("Hours in main alarm per device and day (%d devices)" % len(grid))
    fig.colorbar(image, ax=ax, label="hours in main alarm", fraction=0.05)
    top = worst.head(12)[::-1]
    changes = summary.groupby("device").changes.sum()[top.index]
    side.barh(top.index, top.to_numpy(), color="#c0392b")
    for y, (hours, count) in enumerate(zip(top.to_numpy(), changes.to_numpy())):
        side.text(hours, y, " %d changes" % count, va="center", fontsize=8)
    side.set_title("Most hours in main alarm")
    side.set_xlabel("hours in the week")
    side.set_xlim(0, max(1.0, top.max() * 1.45))
    fig.tight_layout()
    fig.savefig(path)
    plt.close(fig)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", default=".", help="the folder for the fleet, table and plot")
    parser.add_argument("--devices", type=int, default=200)
    parser.add_argument("--days", type=int, default=7)
    parser.add_argument("--minutes", type=int, default=10, help="between two values")
    parser.add_argument("--workers", type=int, default=2,
                        help="worker processes of the local cluster; 0: Dask's threads instead")
    parser.add_argument("--scheduler", help="the address of a running cluster's scheduler")
    args = parser.parse_args(argv)
    from distributed import Client, LocalCluster
    root = os.path.join(args.out, "fleet")
    write_fleet(root, args.devices, args.days, args.minutes)
    if args.scheduler:
        with Client(args.scheduler) as client:
            summary = summarize(root, args.minutes, client)
    elif args.workers == 0:
        summary = summarize(root, args.minutes, None)
    else:
        with LocalCluster(n_workers=args.workers, threads_per_worker=1, host="127.0.0.1",
                          dashboard_address=None) as cluster, Client(cluster) as client:
            summary = summarize(root, args.minutes, client)
    summary.to_csv(os.path.join(args.out, "fleet_alarms.csv"), index=False)
    plot(summary, os.path.join(args.out, "fleet_alarms.png"))
    print("%d devices, %d device-days, %.1f hours in main alarm, %d alarm changes; plot in %s" % (
        summary.device.nunique(), len(summary), summary.main_hours.sum(), summary.changes.sum(),
        os.path.join(args.out, "fleet_alarms.png")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
