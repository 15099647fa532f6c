#!/usr/bin/python3
"""A week of one characteristic value and its alarm state, written as archives, read back and
plotted with the pre-alarm and main-alarm levels.

    PYTHONPATH=build/test/python examples/python/alarm_week.py --out /tmp/week

writes DIR/values.bin (CharacteristicValueDataDO), DIR/alarms.bin (AlarmDataDO, the state after
each value) and DIR/alarm_week.png.
"""
import argparse
import math
import os
import random
import sys
from datetime import datetime, timezone

import dataobjects_data as do

PRE_ALARM, MAIN_ALARM = 4.5, 7.1  # mm/s, vibration velocity levels
NONE, PRE, MAIN = 0, 1, 2  # the alarm types this example uses


def week(days, minutes, seed=7):
    """The values every `minutes` for `days`, and the alarm state after each of them."""
    rng = random.Random(seed)
    config, job = do.UuidEntryDO.generate(), do.UuidEntryDO.generate()
    start = int(datetime(2026, 11, 30, tzinfo=timezone.utc).timestamp() * 1000)
    alarm = do.AlarmDataDO(CharacteristicValueConfig=config, CurrentLowerPreAlarmLevel=0.5,
                           CurrentPreAlarmLevel=PRE_ALARM, CurrentMainAlarmLevel=MAIN_ALARM,
                           LearningModeActive=False, Active=True)
    values, alarms = [], []
    count = days * 24 * 60 // minutes
    for i in range(count):
        hours = i * minutes / 60
        load = 2.2 + 0.8 * math.sin(2 * math.pi * (hours - 8) / 24)  # the daily shift pattern
        wear = 5.5 * max(0.0, (hours - 0.55 * days * 24) / (0.45 * days * 24)) ** 2  # a bearing
        value = round(max(0.1, load + wear + rng.gauss(0, 0.25)), 3)
        at = start + int(hours * 3600 * 1000)
        kind = MAIN if value >= MAIN_ALARM else PRE if value >= PRE_ALARM else NONE
        values.append(do.CharacteristicValueDataDO(
            CurrentUuid=do.UuidEntryDO.generate(), MeasurementTimeStamp=at,
            CharacteristicValueConfig=config, JobData=job, Value=value, AlarmType=kind,
            SavedByAlarmStatusChange=kind != alarm.AlarmType,
            CharacteristicValueDataDetails="unit=mm/s;band=10-1000Hz"))
        if kind != alarm.AlarmType:
            alarm.AlarmStateSince = at
        alarm.LastMeasurementTime, alarm.CurrentValue, alarm.AlarmType = at, value, kind
        alarm.PreAlarmCount = min(65535, alarm.PreAlarmCount + (kind == PRE))
        alarm.MainAlarmCount = min(65535, alarm.MainAlarmCount + (kind == MAIN))
        alarm.LatestSavedTimeSignal = values[-1].CurrentUuid
        alarms.append(do.AlarmDataDO.from_dict(alarm.to_dict()))
    return values, alarms


def plot(values, alarms, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    def when(ms):
        return datetime.fromtimestamp(ms / 1000, timezone.utc)

    times = [when(v.MeasurementTimeStamp) for v in values]
    fig, ax = plt.subplots(figsize=(10, 4.2), dpi=100)
    ax.plot(times, [v.Value for v in values], lw=0.8, color="#1f5f8b", label="characteristic value")
    for level, colour, name in (("CurrentPreAlarmLevel", "#e0a000", "pre-alarm level"),
                                ("CurrentMainAlarmLevel", "#c0392b", "main-alarm level")):
        ax.step([when(a.LastMeasurementTime) for a in alarms],
                [getattr(a, level) for a in alarms], where="post", color=colour, lw=1.2,
                ls="--", label=name)
    for kind, colour in ((PRE, "#f7dc6f"), (MAIN, "#f1948a")):
        marked = [t for t, a in zip(times, alarms) if a.AlarmType == kind]
        ax.scatter(marked, [v.Value for v, a in zip(values, alarms) if a.AlarmType == kind],
                   s=6, color=colour, zorder=3)
    last = alarms[-1]
    ax.set_title("Vibration velocity, one week: %d pre-alarm and %d main-alarm values"
                 % (last.PreAlarmCount, last.MainAlarmCount))
    ax.set_ylabel("mm/s")
    ax.legend(loc="upper left")
    ax.grid(alpha=0.3)
    fig.autofmt_xdate()
    fig.tight_layout()
    fig.savefig(path)
    plt.close(fig)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", default=".", help="the folder for the archives and the plot")
    parser.add_argument("--days", type=int, default=7)
    parser.add_argument("--minutes", type=int, default=10, help="between two values")
    args = parser.parse_args(argv)
    os.makedirs(args.out, exist_ok=True)
    values, alarms = week(args.days, args.minutes)
    for name, objects in (("values.bin", values), ("alarms.bin", alarms)):
        with open(os.path.join(args.out, name), "wb") as f:
            do.dump(objects, f)
    with open(os.path.join(args.out, "values.bin"), "rb") as f:
        values = list(do.iter_load(f, do.CharacteristicValueDataDO))
    with open(os.path.join(args.out, "alarms.bin"), "rb") as f:
        alarms = do.loads(f.read(), do.AlarmDataDO)
    plot(values, alarms, os.path.join(args.out, "alarm_week.png"))
    print("%d values, %d alarm states, plot in %s" % (
        len(values), len(alarms), os.path.join(args.out, "alarm_week.png")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
