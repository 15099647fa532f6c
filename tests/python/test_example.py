"""The plotting example, run on one day of values."""
import importlib.util
import os

import dataobjects_data as do

EXAMPLE = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "python", "alarm_week.py")


def test_the_example_writes_reads_and_plots_a_day(tmp_path):
    location = importlib.util.spec_from_file_location("alarm_week", EXAMPLE)
    example = importlib.util.module_from_spec(location)
    location.loader.exec_module(example)
    assert example.main(["--out", str(tmp_path), "--days", "1", "--minutes", "30"]) == 0
    values = do.loads((tmp_path / "values.bin").read_bytes(), do.CharacteristicValueDataDO)
    alarms = do.loads((tmp_path / "alarms.bin").read_bytes(), do.AlarmDataDO)
    assert len(values) == len(alarms) == 48
    assert [a.CurrentValue for a in alarms] == [v.Value for v in values]
    assert (tmp_path / "alarm_week.png").read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
