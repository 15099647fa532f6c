"""The Python parser generated from the archive descriptions in format/ (by the 0.10 compiler, for
Debian's 0.10 runtime) against the library's own reading (`dataobjects dump --json`): golden
archives read by each class's own top-level type and by the parameterised one, cut at every byte
and with bits changed, and the random archives of every class that tests/format/archive_test.js
leaves in FORMAT_RANDOM_ARCHIVES. Integers compare exactly, doubles by value and sign, texts by
their bytes."""
import base64
import importlib
import io
import json
import math
import os
import pathlib
import re
import subprocess
import sys
import uuid

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, os.environ.get("FORMAT_PYTHON_PARSER", str(ROOT / "format/build/python")))
from kaitaistruct import KaitaiStream  # noqa: E402
from dataobjects_archive import DataobjectsArchive  # noqa: E402
from dataobjects_values import DataobjectsValues as Values  # noqa: E402

TOOL = os.environ.get("DATAOBJECTS_TOOL", str(ROOT / "build/test/tools/dataobjects"))
GOLDEN = sorted((ROOT / "tests/data").glob("*.bin"))
NUMBER = re.compile(r"[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?", re.ASCII)


def snake(class_name):
    return re.sub(r"(?<=.)([A-Z])", r"_\1", class_name.removesuffix("DO")).lower()


def library(class_name, data):
    """The objects as `dump --json` reads them, or 'fails'."""
    run = subprocess.run([TOOL, "dump", "--type", class_name, "--json", "-"], input=data, capture_output=True)
    return [exact(json.loads(line)) for line in run.stdout.decode().splitlines()] if run.returncode == 0 else "fails"


def exact(form):
    """A form whose doubles compare by their bits (minus zero differs from zero, 1.0 from 1)."""
    return {name: value.hex() if isinstance(value, float) else value for name, value in form.items()}


def field_value(field):
    if isinstance(field, Values.Uuid):
        return str(uuid.UUID(bytes=field.bytes))
    if isinstance(field, Values.Flag):
        return field.value
    if isinstance(field, Values.Blob):
        return base64.b64encode(field.bytes).decode()
    if isinstance(field, Values.Text):
        try:
            return field.bytes.decode("utf-8")
        except UnicodeDecodeError:
            return {"base64": base64.b64encode(field.bytes).decode()}
    if isinstance(field, Values.Real):
        if field.is_positive_infinity or field.is_negative_infinity or field.is_nan:
            return "inf" if field.is_positive_infinity else "-inf" if field.is_negative_infinity else "nan"
        if not NUMBER.fullmatch(field.text) or not math.isfinite(float(field.text)):
            raise ValueError(f"not a double: {field.text!r}")
        return float(field.text)
    return field.value


def json_form(obj):
    """An object in the form of `dump --json`: a null flag gives its field null, or the field's value."""
    fields = [name for name in vars(obj) if not name.startswith("_")]
    form = {}
    for name in fields:
        base = name.removesuffix("_is_null")
        if name == base and f"{name}_is_null" in fields:
            continue
        value = None if base != name and getattr(obj, name).value else field_value(getattr(obj, base))
        form["".join(part.capitalize() for part in base.split("_"))] = value
    return form


def parse(class_name, data, parameterised):
    """The objects as the class's own top-level type or the parameterised one reads them, or 'fails'."""
    try:
        if parameterised:
            kind = DataobjectsArchive.ObjectClass[snake(class_name)]
            archive = DataobjectsArchive(kind, KaitaiStream(io.BytesIO(data)))
        else:
            module = importlib.import_module(f"{snake(class_name)}_archive")
            archive = getattr(module, snake(class_name).title().replace("_", "") + "Archive").from_bytes(data)
        return [exact(json_form(obj)) for obj in archive.objects]
    except Exception:  # noqa: BLE001 - any failure to read counts as one
        return "fails"


def cases():
    for path in GOLDEN:
        yield pytest.param(path.name.split("-")[0], path.read_bytes(), id=path.name)


@pytest.mark.parametrize("class_name,data", cases())
def test_golden_archives_read_as_the_library_reads_them_and_fail_when_cut(class_name, data):
    expected = library(class_name, data)
    assert expected != "fails"
    for parameterised in (False, True):
        assert parse(class_name, data, parameterised) == expected
        for at in range(len(data)):
            assert parse(class_name, data[:at], parameterised) == ("fails" if at else []), f"cut at {at}"
    for at in range(len(data)):
        for flip in (0x01, 0x20, 0x80):  # a changed archive the parser reads, the library reads alike
            changed = data[:at] + bytes([data[at] ^ flip]) + data[at + 1:]
            read = parse(class_name, changed, False)
            if read != "fails":
                assert read == library(class_name, changed), f"{at} ^ {flip:#x}"


def test_random_archives_of_every_class_read_as_the_library_reads_them():
    folder = os.environ.get("FORMAT_RANDOM_ARCHIVES")
    if not folder:
        pytest.skip("FORMAT_RANDOM_ARCHIVES is not set (tests/format/archive_test.js writes them)")
    classes = {path.name.split("-")[0] for path in GOLDEN}
    assert {path.stem for path in pathlib.Path(folder).glob("*.bin")} == classes
    for class_name in sorted(classes):
        data = (pathlib.Path(folder) / f"{class_name}.bin").read_bytes()
        forms = parse(class_name, data, False)
        assert forms != "fails" and len(forms) > 0, class_name
        assert forms == library(class_name, data), class_name
