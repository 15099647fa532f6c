meta:
  id: dataobjects_objects
  title: The data object classes of libdataobjects_data in archive form
  license: MIT
  ks-version: '0.10'
  endian: le
  imports:
    - common/dataobjects_values
doc: |
  One type per data object class, reading one object: its fields in archive order, as
  `operator<<` on an `Archive` writes them. Nothing frames an object (no tag, length or
  version): the reader must know which class comes next. The `*_archive.ksy` descriptions read
  a whole archive of one class with these types; this one reads nothing at the top level.
doc-ref: dataobjects/*.h (each class's archive form at the end of its header)
types:
  job_data:
    doc: JobDataDO, one run of a measurement job.
    seq:
      - id: current_uuid
        type: dataobjects_values::uuid
        doc: The run's own UUID, its key.
      - id: measurement_time_stamp
        type: dataobjects_values::long_long
        doc: The time stamp of the run's measurement.
      - id: job_config
        type: dataobjects_values::uuid
        doc: The job configuration the run used.
  measurement_data:
    doc: MeasurementDataDO, one raw measurement.
    seq:
      - id: current_uuid
        type: dataobjects_values::uuid
        doc: The measurement's own UUID, its key.
      - id: measurement_time_stamp
        type: dataobjects_values::long_long
        doc: The time stamp of the measurement.
      - id: measurement_config
        type: dataobjects_values::uuid
        doc: The measurement configuration it was taken with.
      - id: measurement_data_details
        type: dataobjects_values::text
        doc: The details text, in clear (the object holds it compressed).
      - id: external_reference_measurement_data_details
        type: dataobjects_values::long_long
        doc: Where the details are stored outside the object, -1 for nowhere.
      - id: binary_data
        type: dataobjects_values::blob
        doc: The measured data, an opaque byte block.
      - id: external_reference_binary_data
        type: dataobjects_values::long_long
        doc: A reference to the measured data stored elsewhere, -1 for none (only carried).
      - id: job_data
        type: dataobjects_values::uuid
        doc: The job run (JobDataDO) that made the measurement.
      - id: saved_by_alarm_status_change
        type: dataobjects_values::flag
        doc: Whether a change of alarm status had the measurement saved.
  characteristic_value_data:
    doc: CharacteristicValueDataDO, one value computed from a measurement.
    seq:
      - id: current_uuid
        type: dataobjects_values::uuid
        doc: The value's own UUID, its key.
      - id: measurement_time_stamp
        type: dataobjects_values::long_long
        doc: The time stamp of the measurement the value was computed from.
      - id: characteristic_value_config
        type: dataobjects_values::uuid
        doc: The characteristic value configuration that computed it.
      - id: characteristic_value_data_details
        type: dataobjects_values::text
        doc: The details text, in clear (the object holds it compressed).
      - id: external_reference_characteristic_value_data_details
        type: dataobjects_values::long_long
        doc: Where the details are stored outside the object, -1 for nowhere.
      - id: job_data
        type: dataobjects_values::uuid
        doc: The job run (JobDataDO) that produced the value.
      - id: value
        type: dataobjects_values::real
        doc: The computed value.
      - id: alarm_type
        type: dataobjects_values::unsigned_short
        doc: The alarm type the value raised.
      - id: saved_by_alarm_status_change
        type: dataobjects_values::flag
        doc: Whether a change of alarm status had the value saved.
  trend_data:
    doc: TrendDataDO, one block of trend samples of a characteristic value configuration.
    seq:
      - id: current_uuid
        type: dataobjects_values::uuid
        doc: The block's own UUID, its key.
      - id: characteristic_value_config
        type: dataobjects_values::uuid
        doc: The characteristic value configuration whose samples the block holds.
      - id: characteristic_value_config_base_uuid
        type: dataobjects_values::uuid
        doc: The base UUID of that configuration.
      - id: closed
        type: dataobjects_values::flag
        doc: Whether the block is closed.
      - id: first_time_stamp
        type: dataobjects_values::long_long
        doc: The start of the time span the block covers.
      - id: last_time_stamp
        type: dataobjects_values::long_long
        doc: The end of the time span the block covers.
      - id: trend_data_details
        type: dataobjects_values::text
        doc: The details text (the object holds it as plain text).
      - id: num_samples
        type: dataobjects_values::unsigned_int
        doc: The number of samples in `data`.
      - id: data
        type: dataobjects_values::blob
        doc: The samples, an opaque byte block.
      - id: external_reference_data
        type: dataobjects_values::long_long
        doc: A reference to data stored elsewhere, -1 for none.
  alarm_data:
    doc: |
      AlarmDataDO, the alarm state of a characteristic value configuration. Each of the three
      nullable fields follows its null flag, and is in the archive only while that flag is false.
    seq:
      - id: characteristic_value_config
        type: dataobjects_values::uuid
        doc: The characteristic value configuration whose alarm state this is, the key.
      - id: last_measurement_time
        type: dataobjects_values::long_long
        doc: The time of the latest measurement.
      - id: current_value
        type: dataobjects_values::real
        doc: The latest value.
      - id: main_alarm_count
        type: dataobjects_values::unsigned_short
        doc: The count of main alarms.
      - id: pre_alarm_count
        type: dataobjects_values::unsigned_short
        doc: The count of pre-alarms.
      - id: alarm_type
        type: dataobjects_values::unsigned_short
        doc: The current alarm type.
      - id: learning_mode_active
        type: dataobjects_values::flag
        doc: Whether learning mode is on.
      - id: is_trigger_validator
        type: dataobjects_values::flag
        doc: Whether the configuration validates triggers.
      - id: learning_mode_actives_is_null
        type: dataobjects_values::flag
        doc: Whether learning_mode_actives is null (then it is not in the archive).
      - id: learning_mode_actives
        type: dataobjects_values::text
        if: not learning_mode_actives_is_null.value
        doc: The learning modes text.
      - id: current_lower_pre_alarm_level
        type: dataobjects_values::real
        doc: The current lower pre-alarm level.
      - id: current_pre_alarm_level
        type: dataobjects_values::real
        doc: The current pre-alarm level.
      - id: current_main_alarm_level
        type: dataobjects_values::real
        doc: The current main alarm level.
      - id: current_alarm_map_index_is_null
        type: dataobjects_values::flag
        doc: Whether current_alarm_map_index is null (then it is not in the archive).
      - id: current_alarm_map_index
        type: dataobjects_values::unsigned_short
        if: not current_alarm_map_index_is_null.value
        doc: The index of the current entry of the alarm map.
      - id: active
        type: dataobjects_values::flag
        doc: Whether the alarm is active.
      - id: latest_saved_time_signal_is_null
        type: dataobjects_values::flag
        doc: Whether latest_saved_time_signal is null (then it is not in the archive).
      - id: latest_saved_time_signal
        type: dataobjects_values::uuid
        if: not latest_saved_time_signal_is_null.value
        doc: The latest time signal saved.
      - id: alarm_state_since
        type: dataobjects_values::long_long
        doc: Since when the alarm has been in its current state.
  alarm_learning_values:
    doc: AlarmLearningValuesDO, one cell of an alarm's learning values.
    seq:
      - id: characteristic_value_config
        type: dataobjects_values::uuid
        doc: The characteristic value configuration the values belong to, the key's first part.
      - id: x
        type: dataobjects_values::unsigned_short
        doc: The cell's X, the key's second part.
      - id: y
        type: dataobjects_values::unsigned_short
        doc: The cell's Y, the key's third part.
      - id: value_count
        type: dataobjects_values::unsigned_short
        doc: The number of learning values, never checked against the block's length.
      - id: learning_values
        type: dataobjects_values::blob
        doc: The learning values, an opaque byte block.
  characteristic_value_data_measurement_data_map:
    doc: |
      CharacteristicValueDataMeasurementDataMapDO, the link between a characteristic value and a
      measurement.
    seq:
      - id: characteristic_value_data
        type: dataobjects_values::uuid
        doc: The characteristic value (CharacteristicValueDataDO), the key's first part.
      - id: measurement_data
        type: dataobjects_values::uuid
        doc: The measurement (MeasurementDataDO), the key's second part.
