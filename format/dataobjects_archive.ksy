meta:
  id: dataobjects_archive
  title: Archive form of the data objects of libdataobjects_data
  license: MIT
  ks-version: '0.11'
  endian: le
  bit-endian: le
doc: |
  The bytes that libdataobjects_data writes for its data objects with `operator<<` on an
  `Archive`, one object after the other. Nothing frames an object (no tag, length or version):
  the reader must know which class comes next, so the class is a parameter and every object of
  the archive is of that class.

  Each field is an object of one of the value types below, its value in `value` (integers,
  booleans, texts) or in its own members (UUIDs, byte blobs, doubles).
doc-ref: libs/utilities/archive/Serialize (the wire table at its top)
params:
  - id: object_class
    type: u1
    enum: object_class
seq:
  - id: objects
    repeat: eos
    type:
      switch-on: object_class
      cases:
        object_class::job_data: job_data
        object_class::measurement_data: measurement_data
        object_class::characteristic_value_data: characteristic_value_data
        object_class::trend_data: trend_data
        object_class::alarm_data: alarm_data
        object_class::alarm_learning_values: alarm_learning_values
        object_class::characteristic_value_data_measurement_data_map: characteristic_value_data_measurement_data_map
enums:
  object_class:
    1: job_data
    2: measurement_data
    3: characteristic_value_data
    4: trend_data
    5: alarm_data
    6: alarm_learning_values
    7: characteristic_value_data_measurement_data_map
types:
  # ---- the classes, their fields in archive order ------------------------------------------
  job_data:
    doc: JobDataDO
    seq:
      - {id: current_uuid, type: uuid}
      - {id: measurement_time_stamp, type: long_long}
      - {id: job_config, type: uuid}
  measurement_data:
    doc: MeasurementDataDO
    seq:
      - {id: current_uuid, type: uuid}
      - {id: measurement_time_stamp, type: long_long}
      - {id: measurement_config, type: uuid}
      - {id: measurement_data_details, type: text}
      - {id: external_reference_measurement_data_details, type: long_long}
      - {id: binary_data, type: blob}
      - {id: external_reference_binary_data, type: long_long}
      - {id: job_data, type: uuid}
      - {id: saved_by_alarm_status_change, type: flag}
  characteristic_value_data:
    doc: CharacteristicValueDataDO
    seq:
      - {id: current_uuid, type: uuid}
      - {id: measurement_time_stamp, type: long_long}
      - {id: characteristic_value_config, type: uuid}
      - {id: characteristic_value_data_details, type: text}
      - {id: external_reference_characteristic_value_data_details, type: long_long}
      - {id: job_data, type: uuid}
      - {id: value, type: real}
      - {id: alarm_type, type: unsigned_short}
      - {id: saved_by_alarm_status_change, type: flag}
  trend_data:
    doc: TrendDataDO
    seq:
      - {id: current_uuid, type: uuid}
      - {id: characteristic_value_config, type: uuid}
      - {id: characteristic_value_config_base_uuid, type: uuid}
      - {id: closed, type: flag}
      - {id: first_time_stamp, type: long_long}
      - {id: last_time_stamp, type: long_long}
      - {id: trend_data_details, type: text}
      - {id: num_samples, type: unsigned_int}
      - {id: data, type: blob}
      - {id: external_reference_data, type: long_long}
  alarm_data:
    doc: |
      AlarmDataDO. Each of the three nullable fields follows its null flag, and is in the archive
      only while that flag is false.
    seq:
      - {id: characteristic_value_config, type: uuid}
      - {id: last_measurement_time, type: long_long}
      - {id: current_value, type: real}
      - {id: main_alarm_count, type: unsigned_short}
      - {id: pre_alarm_count, type: unsigned_short}
      - {id: alarm_type, type: unsigned_short}
      - {id: learning_mode_active, type: flag}
      - {id: is_trigger_validator, type: flag}
      - {id: learning_mode_actives_is_null, type: flag}
      - {id: learning_mode_actives, type: text, if: not learning_mode_actives_is_null.value}
      - {id: current_lower_pre_alarm_level, type: real}
      - {id: current_pre_alarm_level, type: real}
      - {id: current_main_alarm_level, type: real}
      - {id: current_alarm_map_index_is_null, type: flag}
      - {id: current_alarm_map_index, type: unsigned_short, if: not current_alarm_map_index_is_null.value}
      - {id: active, type: flag}
      - {id: latest_saved_time_signal_is_null, type: flag}
      - {id: latest_saved_time_signal, type: uuid, if: not latest_saved_time_signal_is_null.value}
      - {id: alarm_state_since, type: long_long}
  alarm_learning_values:
    doc: AlarmLearningValuesDO
    seq:
      - {id: characteristic_value_config, type: uuid}
      - {id: x, type: unsigned_short}
      - {id: y, type: unsigned_short}
      - {id: value_count, type: unsigned_short}
      - {id: learning_values, type: blob}
  characteristic_value_data_measurement_data_map:
    doc: CharacteristicValueDataMeasurementDataMapDO
    seq:
      - {id: characteristic_value_data, type: uuid}
      - {id: measurement_data, type: uuid}

  # ---- the values ----------------------------------------------------------------------------
  long_long:
    doc: A signed 64-bit integer (C++ `long long`).
    seq:
      - {id: packed, type: 'packed_int(8, true)'}
    instances:
      value: {value: packed.value}
  unsigned_short:
    doc: An unsigned 16-bit integer.
    seq:
      - {id: packed, type: 'packed_int(2, false)'}
    instances:
      value: {value: packed.magnitude.as<u2>}
  unsigned_int:
    doc: An unsigned 32-bit integer (C++ `unsigned int`, and `unsigned long` on the wire).
    seq:
      - {id: packed, type: 'packed_int(4, false)'}
    instances:
      value: {value: packed.magnitude.as<u4>}
  packed_int:
    doc: |
      A header byte, then the magnitude in `count` bytes, least significant first. Header bits
      0-3 are the count, bits 4-6 are ignored, bit 7 is the sign; a signed type accepts counts up
      to `max_count`, an unsigned one also refuses the sign bit. A count of 0 is the value 0.
    params:
      - {id: max_count, type: u1}
      - {id: signed, type: bool}
    seq:
      - id: header
        type: u1
        valid:
          expr: '(_ & 0x0f) <= max_count and (signed or _ < 0x80)'
      - id: payload
        size: count
    instances:
      count:
        value: header & 0x0f
      negative:
        value: signed and header >= 0x80
      low:
        doc: The first four bytes of the magnitude.
        value: >-
          ((count > 0 ? payload[0].as<u4> : 0.as<u4>)
          + (count > 1 ? (payload[1].as<u4> * 0x100).as<u4> : 0.as<u4>)
          + (count > 2 ? (payload[2].as<u4> * 0x10000).as<u4> : 0.as<u4>)
          + (count > 3 ? (payload[3].as<u4> * 0x1000000).as<u4> : 0.as<u4>)).as<u4>
      high:
        doc: The last four bytes of the magnitude.
        value: >-
          ((count > 4 ? payload[4].as<u4> : 0.as<u4>)
          + (count > 5 ? (payload[5].as<u4> * 0x100).as<u4> : 0.as<u4>)
          + (count > 6 ? (payload[6].as<u4> * 0x10000).as<u4> : 0.as<u4>)
          + (count > 7 ? (payload[7].as<u4> * 0x1000000).as<u4> : 0.as<u4>)).as<u4>
      magnitude:
        doc: |
          The magnitude as an unsigned 64-bit number. `low` and `high` hold it exactly in every
          language; in JavaScript `magnitude` and `value` are exact up to 2^53 only.
        value: (low.as<u8> + high.as<u8> * 0x10000 * 0x10000).as<u8>
      value:
        value: '(negative ? -(magnitude.as<s8>) : magnitude.as<s8>).as<s8>'

  flag:
    doc: A C++ `bool`, the character '1' or '0'.
    seq:
      - id: raw
        type: u1
        valid:
          any-of: [0x30, 0x31]
    instances:
      value: {value: raw == 0x31}
  uuid:
    doc: A UUID reference (UuidEntryDO), its sixteen bytes in the order of its text.
    seq:
      - {id: bytes, size: 16}
  blob:
    doc: A byte vector, its count as an `unsigned long` followed by the bytes.
    seq:
      - {id: len, type: unsigned_int}
      - {id: bytes, size: len.value}
  text:
    doc: |
      A std::string, its length as an `unsigned long` followed by the bytes. The library keeps
      the bytes up to the first zero byte (all of them are consumed); `value` decodes them as
      UTF-8, `bytes` holds them as they are.
    seq:
      - {id: len, type: unsigned_int}
      - {id: bytes, size: len.value, terminator: 0}
    instances:
      value: {value: bytes.to_s("UTF-8")}
  real:
    doc: |
      A C++ `double` as text ended by one blank: "inf", "ninf", "NaN", or the value with at most
      35 significant digits as printf("%.35g") writes it, which reads back as exactly the same
      double. The library reads any text of three characters that starts with "i" as infinity,
      of four that starts with "n" as minus infinity, of three that starts with "N" as NaN. The
      description language cannot turn text into a number: parse `text` as an IEEE double in
      the target language when none of the three instances holds.
    seq:
      - id: text
        type: str
        encoding: ASCII
        terminator: 0x20
        valid:
          expr: _.length > 0
    instances:
      is_positive_infinity: {value: 'text.length == 3 and text.substring(0, 1) == "i"'}
      is_negative_infinity: {value: 'text.length == 4 and text.substring(0, 1) == "n"'}
      is_nan: {value: 'text.length == 3 and text.substring(0, 1) == "N"'}
