"""The plotting examples, run on a little data."""
import csv
import glob
import importlib.util
import os

import dataobjects_data as do

EXAMPLES = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "python")
PNG = b"\x89PNG\r\n\x1a\n"


def example(name):
    location = importlib.util.spec_from_file_location(name, os.path.join(EXAMPLES, name + ".py"))
    module = importlib.util.module_from_spec(location)
    location.loader.exec_module(module)
    return module


def test_the_example_writes_reads_and_plots_a_day(tmp_path):
    args = ["--out", str(tmp_path), "--days", "1", "--minutes", "30"]
    assert example("alarm_week").main(args) == 0
    values = do.loads((tmp_path / "values.bin").read_bytes(), do.CharacteristicValueDataDO)
    alarms = do.loads((tmp_path / "alarms.bin").read_bytes(), do.AlarmDataDO)
    assert len(values) == len(alarms) == 48
    assert [a.CurrentValue for a in alarms] == [v.Value for v in values]
    assert (tmp_path / "alarm_week.png").read_bytes()[:8] == PNG


def test_the_fleet_example_sums_each_device_day_as_its_objects_do(tmp_path):
    args = ["--out", str(tmp_path), "--devices", "6", "--days", "3", "--minutes", "20",
            "--workers", "0"]  # the local cluster is test_frames.py's
    assert example("fleet_alarms").main(args) == 0
    rows = list(csv.DictReader(open(tmp_path / "fleet_alarms.csv")))
    assert len(rows) == 18 and (tmp_path / "fleet_alarms.png").read_bytes()[:8] == PNG
    for row in rows:
        at = os.path.join(str(tmp_path), "fleet", row["device"], row["day"])
        alarms = do.loads(open(at + "-alarms.bin", "rb").read(), do.AlarmDataDO)
        values = do.loads(open(at + "-values.bin", "rb").read(), do.CharacteristicValueDataDO)
        main = sum(1 for a in alarms if a.AlarmType == 2) * 20 / 60  # every state lasts 20 min
        changes = sum(1 for a in alarms if a.AlarmStateSince == a.LastMeasurementTime)
        assert (float(row["main_hours"]), int(row["changes"]), float(row["peak"])) == \
            (main, changes, max(v.Value for v in values))
    assert len(glob.glob(os.path.join(str(tmp_path), "fleet", "*", "*.bin"))) == 36
