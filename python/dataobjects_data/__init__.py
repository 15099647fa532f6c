"""The data objects of libdataobjects_data, read and written as the C++ library does.

Each class takes its fields as keyword arguments and has them as attributes, named as in the
class and in the JSON form of ``dataobjects dump --json``::

    job = JobDataDO(CurrentUuid=UuidEntryDO.generate(), MeasurementTimeStamp=1733400000000)
    data = dumps([job, job])             # the archive form, object after object
    jobs = loads(data, JobDataDO)        # every object until the input ends
    for job in iter_load(open("jobs.bin", "rb"), JobDataDO):  # read in pieces
        print(job.key(), job.to_dict())

and read straight into columns, without a Python object per row::

    frame = read_frame("alarms.bin", AlarmDataDO)          # a pandas DataFrame
    arrays = read_columns(data, JobDataDO, uuids="bytes")  # a dict of numpy arrays

(pandas is imported by read_frame and iter_frames only; dataobjects_data.dask reads many
archives in parallel with Dask.)
"""

from ._core import (  # noqa: F401
    AlarmDataDO,
    AlarmLearningValuesDO,
    CharacteristicValueDataDO,
    CharacteristicValueDataMeasurementDataMapDO,
    CompressionException,
    DataObjectException,
    JobDataDO,
    MeasurementDataDO,
    SerializationException,
    TesmiraException,
    TrendDataDO,
    UuidEntryDO,
    __version__,
    dump,
    dumps,
    iter_load as _read_objects,
    loads,
)

from .frames import iter_frames, read_columns, read_frame  # noqa: F401,E402

CLASSES = (JobDataDO, CharacteristicValueDataDO, MeasurementDataDO, TrendDataDO, AlarmDataDO,
           AlarmLearningValuesDO, CharacteristicValueDataMeasurementDataMapDO)
"""Every data object class, in the order the dataobjects tool lists them."""


def iter_load(input, cls):
    """The objects of class cls in bytes or a binary file, read in pieces of 64 KiB as they are
    asked for: a generator that yields every object before one that cannot be read and then
    raises the library's exception for that one, with its index and offset."""
    return _objects(_read_objects(input, cls))


def _objects(reader):
    yield from reader
