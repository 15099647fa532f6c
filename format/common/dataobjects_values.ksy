meta:
  id: dataobjects_values
  title: Value types of the archive form of libdataobjects_data
  license: MIT
  ks-version: '0.10'
  endian: le
doc: |
  The kinds of value that the fields of the data objects have in an archive, as the value codec
  writes them. Every field of a class (dataobjects_objects.ksy) is one of these types; the type
  itself reads nothing at the top level. Integers, booleans and texts give their value in
  `value`, UUIDs, byte blobs and doubles in their own members.
doc-ref: libs/utilities/archive/Serialize (the wire table at its top)
types:
  long_long:
    doc: A signed 64-bit integer (C++ `long long`).
    seq:
      - id: packed
        type: 'packed_int(8, true)'
        doc: The integer's header and magnitude.
    instances:
      value:
        value: packed.value
        doc: |
          The integer (in JavaScript exact up to 2^53 only; `packed.low` and `packed.high` always
          are).
  unsigned_short:
    doc: An unsigned 16-bit integer.
    seq:
      - id: packed
        type: 'packed_int(2, false)'
        doc: The integer's header and magnitude, at most two bytes.
    instances:
      value:
        value: packed.magnitude.as<u2>
        doc: The integer.
  unsigned_int:
    doc: An unsigned 32-bit integer (C++ `unsigned int`, and `unsigned long` on the wire).
    seq:
      - id: packed
        type: 'packed_int(4, false)'
        doc: The integer's header and magnitude, at most four bytes.
    instances:
      value:
        value: packed.magnitude.as<u4>
        doc: The integer.
  packed_int:
    doc: |
      A header byte, then the magnitude in `count` bytes, least significant first. Header bits
      0-3 are the count, bits 4-6 are ignored, bit 7 is the sign; a signed type accepts counts up
      to `max_count`, an unsigned one also refuses the sign bit. A count of 0 is the value 0.
    params:
      - id: max_count
        type: u1
        doc: The most magnitude bytes the integer type takes (its size in bytes).
      - id: signed
        type: bool
        doc: Whether the integer type is signed, and so may have the sign bit.
    seq:
      - id: header
        type: u1
        valid:
          expr: '(_ & 0x0f) <= max_count and (signed or _ < 0x80)'
        doc: The count of magnitude bytes in bits 0-3 and the sign in bit 7.
      - id: payload
        size: count
        doc: The magnitude, least significant byte first.
    instances:
      count:
        value: header & 0x0f
        doc: The number of magnitude bytes.
      negative:
        value: signed and header >= 0x80
        doc: Whether the integer is negative (the sign bit of a signed type).
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
      wrapped_low:
        doc: |
          The first four bytes of the value in two's complement: of the magnitude, or of the
          magnitude negated when negative.
        value: '(not negative or low == 0 ? low : (0x100000000 - low).as<u4>)'
      wrapped_high:
        doc: The last four bytes of the value in two's complement.
        value: >-
          (not negative ? high
          : (low != 0 ? (0xffffffff - high).as<u4> : (high == 0 ? 0.as<u4> : (0x100000000 - high).as<u4>)))
      value:
        doc: |
          The signed 64-bit value as the library reads it: the magnitude, negated when the sign bit
          is set, modulo 2^64 (a magnitude beyond 2^63 - 1 wraps around). Computed from the two
          halves so that languages whose integers do not wrap (Python) give it too.
        value: >-
          ((wrapped_high >= 0x80000000 ? wrapped_high.as<s8> - 0x100000000 : wrapped_high.as<s8>)
          * 0x100000000 + wrapped_low.as<s8>).as<s8>
  flag:
    doc: A C++ `bool`, the character '1' or '0'.
    seq:
      - id: raw
        type: u1
        valid:
          any-of: [0x30, 0x31]
        doc: The character, '1' for true and '0' for false.
    instances:
      value:
        value: raw == 0x31
        doc: The boolean.
  uuid:
    doc: A UUID reference (UuidEntryDO).
    seq:
      - id: bytes
        size: 16
        doc: The sixteen bytes in the order of the UUID's text.
  blob:
    doc: A byte vector, its count as an `unsigned long` followed by the bytes.
    seq:
      - id: len
        type: unsigned_int
        doc: The number of bytes.
      - id: bytes
        size: len.value
        doc: The bytes, as they are.
  text:
    doc: |
      A std::string, its length as an `unsigned long` followed by the bytes. The library keeps
      the bytes up to the first zero byte (all of them are consumed); `value` decodes them as
      UTF-8, `bytes` holds them as they are.
    seq:
      - id: len
        type: unsigned_int
        doc: The number of bytes, a zero byte and what follows it included.
      - id: bytes
        size: len.value
        terminator: 0
        doc: The text's bytes up to the first zero byte.
    instances:
      value:
        value: bytes.to_s("UTF-8")
        doc: The text decoded as UTF-8 (fails on bytes that are not UTF-8).
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
        doc: The double's text, without its blank.
    instances:
      is_positive_infinity:
        value: 'text.length == 3 and text.substring(0, 1) == "i"'
        doc: Whether the double is plus infinity.
      is_negative_infinity:
        value: 'text.length == 4 and text.substring(0, 1) == "n"'
        doc: Whether the double is minus infinity.
      is_nan:
        value: 'text.length == 3 and text.substring(0, 1) == "N"'
        doc: Whether the double is NaN.
