// Archives read with the JavaScript parser generated from the archive descriptions, and their
// objects in the JSON form of `dataobjects dump --json`: members named as the class's fields, in
// archive order, UUIDs as text, byte blobs as base64, integers exact (BigInt), doubles as numbers
// or "inf", "-inf", "nan", texts as strings or {"base64": ...} when they are not UTF-8, a null
// field as null.
'use strict';
const fs = require('fs');
const path = require('path');
const KaitaiStream = require('kaitai-struct/KaitaiStream');

const kParsers = path.join(__dirname, 'build', 'javascript');

/// The generated parser's types, from the modules in `dir` (by default those that
/// format/compile.js writes into format/build): `Objects`, a type per class that reads one
/// object; `Values`, a type per kind of field; `Archive`, the top-level type with the class as a
/// parameter; and `archive(name)`, the top-level type of a class's own description
/// (`archive('AlarmData')` is AlarmDataArchive).
function loadParser(dir = kParsers) {
  const load = (name) => {
    const file = path.resolve(dir, `${name}.js`);
    if (!fs.existsSync(file)) throw new Error(`no parser at ${file}: run node format/compile.js javascript`);
    return require(file)[name];
  };
  const [Objects, Values, Archive] = ['DataobjectsObjects', 'DataobjectsValues', 'DataobjectsArchive'].map(load);
  return { Objects, Values, Archive, archive: (name) => load(`${name}Archive`) };
}

// A class given with or without "DO" (AlarmDataDO, AlarmData): its name in the parser, its type
// that reads one object and its value of the parameterised top-level type's parameter.
function objectClass(className, parser) {
  const name = className.replace(/DO$/, '');
  const value = parser.Archive.ObjectClass[name.replace(/(?<=.)([A-Z])/g, '_$1').toUpperCase()];
  if (value === undefined || parser.Objects[name] === undefined) throw new Error(`no such class: ${className}`);
  return { name, Type: parser.Objects[name], value };
}

/// The objects of an archive of `className`, read at once by the class's own top-level type or,
/// with `parameterised`, by the one that takes the class as its parameter. Throws on bytes that
/// are not such objects, among them an archive cut inside an object.
function readObjects(bytes, className, parser = loadParser(), { parameterised = false } = {}) {
  const { name, value } = objectClass(className, parser);
  const stream = new KaitaiStream(bytes);
  return (parameterised ? new parser.Archive(stream, null, null, value) : new (parser.archive(name))(stream)).objects;
}

/// The objects of an archive of `className` one at a time, each with the offsets of its first
/// byte and of the byte after it. A failure throws an Error naming the object's index and the
/// offsets where it started and where reading stopped, as `dataobjects dump` reports them.
function* eachObject(bytes, className, parser = loadParser()) {
  const { Type } = objectClass(className, parser);
  const stream = new KaitaiStream(bytes);
  for (let index = 0; !stream.isEof(); ++index) {
    const start = stream.pos;
    let object;
    try {
      object = new Type(stream, null, null);
    } catch (error) {
      throw new Error(`object ${index} (bytes ${start} to ${stream.pos}): ${error.message}`);
    }
    yield { object, start, end: stream.pos };
  }
}

const kUtf8 = new TextDecoder('utf-8', { fatal: true });
const kNumber = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/;

/// The value of a double's text, exact since the text has enough digits to name one double.
/// Throws on a text that the library does not read as a double.
function doubleValue(real) {
  if (real.isPositiveInfinity) return Infinity;
  if (real.isNegativeInfinity) return -Infinity;
  if (real.isNan) return NaN;
  const value = Number(real.text);
  if (!kNumber.test(real.text) || !Number.isFinite(value)) {
    throw new Error(`not a double: "${real.text}"`);
  }
  return value;
}

/// An integer field's value, exact also beyond 2^53 where the parser's `value` is not.
function integerValue(field) {
  if (Number.isSafeInteger(field.value)) return BigInt(field.value);
  const { packed } = field;
  const magnitude = (BigInt(packed.high) << 32n) | BigInt(packed.low);
  return BigInt.asIntN(64, packed.negative ? -magnitude : magnitude);
}

function textValue(bytes) {
  try {
    return kUtf8.decode(bytes);
  } catch {
    return { base64: Buffer.from(bytes).toString('base64') };
  }
}

/// The canonical text of a UUID's sixteen bytes.
function uuidText(bytes) {
  return Buffer.from(bytes).toString('hex').replace(/^(.{8})(.{4})(.{4})(.{4})/, '$1-$2-$3-$4-');
}

function fieldValue(field, { Values }) {
  if (field instanceof Values.Uuid) return uuidText(field.bytes);
  if (field instanceof Values.Flag) return field.value;
  if (field instanceof Values.Blob) return Buffer.from(field.bytes).toString('base64');
  if (field instanceof Values.Text) return textValue(field.bytes);
  if (field instanceof Values.Real) {
    const value = doubleValue(field);
    if (Number.isFinite(value)) return value;
    return Number.isNaN(value) ? 'nan' : value > 0 ? 'inf' : '-inf';
  }
  return integerValue(field);
}

/// One parsed object in the JSON form. A null flag gives its field null (or the field's value
/// while it is false) and no member of its own.
function jsonForm(object, parser = loadParser()) {
  const form = {};
  const seq = Object.keys(object).filter((key) => !key.startsWith('_'));
  for (const key of seq) {
    const nullable = key.match(/^(.*)IsNull$/);
    const name = (nullable ? nullable[1] : key).replace(/^./, (c) => c.toUpperCase());
    if (nullable) {
      form[name] = object[key].value ? null : fieldValue(object[nullable[1]], parser);
    } else if (!seq.includes(`${key}IsNull`)) {
      form[name] = fieldValue(object[key], parser);
    }
  }
  return form;
}

/// The objects of an archive of `className` in the JSON form, read by `read`: 'archive' (the
/// class's own top-level type), 'parameterised' (the top-level type with the class as its
/// parameter) or 'each' (eachObject).
function jsonForms(bytes, className, { read = 'archive', parser = loadParser() } = {}) {
  const objects = read === 'each' ? Array.from(eachObject(bytes, className, parser), (each) => each.object)
    : readObjects(bytes, className, parser, { parameterised: read === 'parameterised' });
  return objects.map((object) => jsonForm(object, parser));
}

/// The JSON text of a form, its integers written exactly and minus zero with its sign.
function jsonText(form) {
  const value = (v) => (typeof v === 'bigint' ? `${v}` : Object.is(v, -0) ? '-0.0' : JSON.stringify(v));
  return `{${Object.entries(form).map(([name, v]) => `${JSON.stringify(name)}:${value(v)}`).join(',')}}`;
}

/// The forms of JSON lines (as `dump --json` prints them) with their integers exact (BigInt),
/// which JSON.parse would round beyond 2^53.
function parseJsonLines(text) {
  return text.split('\n').filter((line) => line !== '').map(parseJsonText);
}

/// One JSON line of this form, its integers exact.
function parseJsonText(line) {
  const marked = line.replace(/("(?:[^"\\]|\\.)*")|(-?\d[\d.eE+-]*)/g, (_, s, n) => s ?? `{"$n":"${n}"}`);
  return JSON.parse(marked, (_, v) =>
    v?.$n === undefined ? v : /^-?\d+$/.test(v.$n) ? BigInt(v.$n) : Number(v.$n));
}

module.exports = {
  loadParser, readObjects, eachObject, jsonForm, jsonForms, jsonText, parseJsonLines, uuidText, doubleValue,
};
