meta:
  id: alarm_learning_values_archive
  title: Archive of AlarmLearningValuesDO objects of libdataobjects_data
  license: MIT
  ks-version: '0.10'
  endian: le
  imports:
    - dataobjects_objects
doc: |
  An archive of AlarmLearningValuesDO objects (cells of alarm learning values) as
  libdataobjects_data writes them with `operator<<` on an `Archive`: one object after the other,
  with nothing around or between them. The top-level type for the Web IDE and ksv; the class's
  fields are in dataobjects_objects.ksy.
seq:
  - id: objects
    type: dataobjects_objects::alarm_learning_values
    repeat: eos
    doc: The objects, to the end of the input.
