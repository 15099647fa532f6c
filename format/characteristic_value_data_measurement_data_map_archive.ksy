meta:
  id: characteristic_value_data_measurement_data_map_archive
  title: Archive of CharacteristicValueDataMeasurementDataMapDO objects of libdataobjects_data
  license: MIT
  ks-version: '0.10'
  endian: le
  imports:
    - dataobjects_objects
doc: |
  An archive of CharacteristicValueDataMeasurementDataMapDO objects (links between
  characteristic values and measurements) as libdataobjects_data writes them with `operator<<`
  on an `Archive`: one object after the other, with nothing around or between them. The
  top-level type for the Web IDE and ksv; the class's fields are in dataobjects_objects.ksy.
seq:
  - id: objects
    type: dataobjects_objects::characteristic_value_data_measurement_data_map
    repeat: eos
    doc: The objects, to the end of the input.
