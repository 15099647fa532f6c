meta:
  id: dataobjects_archive
  title: Archive form of the data objects of libdataobjects_data
  license: MIT
  ks-version: '0.10'
  endian: le
  imports:
    - dataobjects_objects
doc: |
  The bytes that libdataobjects_data writes for its data objects with `operator<<` on an
  `Archive`, one object after the other. Nothing frames an object (no tag, length or version):
  the reader must know which class comes next, so the class is a parameter and every object of
  the archive is of that class. For programs that pick the class at run time; each class also
  has a top-level type of its own without parameters (`alarm_data_archive.ksy`, ...), which the
  Web IDE and ksv can open.

  The classes are described in dataobjects_objects.ksy, the kinds of value of their fields in
  common/dataobjects_values.ksy: each field is an object of a value type, its value in `value`
  (integers, booleans, texts) or in its own members (UUIDs, byte blobs, doubles).
doc-ref: libs/utilities/archive/Serialize (the wire table at its top)
params:
  - id: object_class
    type: u1
    enum: object_class
    doc: The class of every object of the archive.
seq:
  - id: objects
    repeat: eos
    doc: The objects, to the end of the input.
    type:
      switch-on: object_class
      cases:
        object_class::job_data: dataobjects_objects::job_data
        object_class::measurement_data: dataobjects_objects::measurement_data
        object_class::characteristic_value_data: dataobjects_objects::characteristic_value_data
        object_class::trend_data: dataobjects_objects::trend_data
        object_class::alarm_data: dataobjects_objects::alarm_data
        object_class::alarm_learning_values: dataobjects_objects::alarm_learning_values
        object_class::characteristic_value_data_measurement_data_map: dataobjects_objects::characteristic_value_data_measurement_data_map
enums:
  object_class:
    1:
      id: job_data
      doc: JobDataDO
    2:
      id: measurement_data
      doc: MeasurementDataDO
    3:
      id: characteristic_value_data
      doc: CharacteristicValueDataDO
    4:
      id: trend_data
      doc: TrendDataDO
    5:
      id: alarm_data
      doc: AlarmDataDO
    6:
      id: alarm_learning_values
      doc: AlarmLearningValuesDO
    7:
      id: characteristic_value_data_measurement_data_map
      doc: CharacteristicValueDataMeasurementDataMapDO
