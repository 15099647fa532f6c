// The JavaScript parser generated from the archive descriptions in format/ against the library's
// own reading (`dataobjects dump --json`): golden archives whole, cut at every byte and with bits
// changed, and random objects of every class written by the library. With FORMAT_RANDOM_ARCHIVES
// set to a folder, the random archives are left there as CLASS.bin for the Python parser's test.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const archive = require('../../format/dataobjects_archive');

const kTool = process.env.DATAOBJECTS_TOOL ?? path.join(__dirname, '../../build/test/tools/dataobjects');
const kGolden = fs.readdirSync(path.join(__dirname, '../data')).filter((f) => f.endsWith('.bin')).map((file) =>
  ({ file, className: file.split('-')[0], bytes: fs.readFileSync(path.join(__dirname, '../data', file)) }));

const tool = (args, input) => require('child_process').spawnSync(kTool, args, { input, maxBuffer: 1 << 30 });
const library = (className, bytes, run = tool(['dump', '--type', className, '--json', '-'], bytes)) =>
  (run.status === 0 ? archive.parseJsonLines(run.stdout.toString()) : 'fails');
// The objects as the parser reads them (by the class's own top-level type, the parameterised one
// or one at a time: archive.jsonForms), or 'fails'.
const kReads = ['archive', 'parameterised', 'each'];
const parser = (className, bytes, read) => {
  try { return archive.jsonForms(bytes, className, { read }); } catch { return 'fails'; }
};

test('golden archives read as the library reads them, fail when cut, and read alike or fail when changed', () => {
  for (const { file, className, bytes } of kGolden) {
    const expected = library(className, bytes);
    for (const read of kReads) assert.deepStrictEqual(parser(className, bytes, read), expected, `${file} ${read}`);
    for (let at = 0; at < bytes.length; ++at) {
      for (const read of kReads) {
        assert.deepStrictEqual(parser(className, bytes.subarray(0, at), read), at ? 'fails' : [], `${file} cut at ${at} ${read}`);
      }
      for (const flip of [0x01, 0x20, 0x80]) {  // a changed archive the parser reads, the library reads alike
        const changed = Buffer.from(bytes).fill(bytes[at] ^ flip, at, at + 1), read = parser(className, changed, 'each');
        if (read !== 'fails') assert.deepStrictEqual(read, library(className, changed), `${file}: ${at} ^ ${flip}`);
      }
    }
  }
});

// A random value of a kind of field, often an extreme or special one.
function randomValue(kind, next) {
  const pick = (list) => list[Math.floor(next() * list.length)];
  const bytes = (n) => Buffer.from(Array.from({ length: n }, () => Math.floor(next() * 256)));
  const length = () => (next() < 0.01 ? 65536 + pick([0, 999]) : pick([0, 1, 7, 255, 256]));
  const integer = pick([-(1n << 63n), (1n << 63n) - 1n, 0n, -1n,
    BigInt.asIntN(64, BigInt(`0x${bytes(8).toString('hex')}`)) >> BigInt(pick([0, 8, 24, 40, 56]))]);
  const bits = { LongLong: 0, UnsignedShort: 16, UnsignedInt: 32 }[kind];
  if (bits !== undefined) return bits ? BigInt.asUintN(bits, integer) : integer;
  return {
    Uuid: () => archive.uuidText(bytes(16)),
    Flag: () => next() < 0.5,
    Real: () => pick(['inf', '-inf', 'nan', -0, 0.1, 5e-324, -Number.MAX_VALUE, bytes(8).readDoubleLE() || 0]),
    Text: () => (next() < 0.3 ? { base64: bytes(length()).toString('base64') }
      : Array.from({ length: length() }, () => pick(['a', ';', 'é', '€', '😀', '\u0000', ' '])).join('')),
    Blob: () => bytes(length()).toString('base64'),
  }[kind]();
}

test('random objects of every class written by the library read as the library reads them', () => {
  let seed = Number(process.env.FORMAT_TEST_SEED ?? 1);
  const next = () => (seed = (Math.imul(seed, 1103515245) + 12345) >>> 0) / 2 ** 32;
  for (const className of new Set(kGolden.map((golden) => golden.className))) {
    // Each field's kind, as the parser read it in the golden archives of the class.
    const kinds = new Map(kGolden.filter((g) => g.className === className).flatMap((g) =>
      Object.entries(archive.readObjects(g.bytes, className)[0]).filter(([key]) => !key.startsWith('_'))
        .map(([key, field]) => [key.replace(/^./, (c) => c.toUpperCase()), field.constructor.name])));
    const lines = Array.from({ length: 2000 }, () => archive.jsonText(Object.fromEntries([...kinds]
      .filter(([name]) => !name.endsWith('IsNull')).map(([name, kind]) =>
        [name, kinds.has(`${name}IsNull`) && next() < 0.3 ? null : randomValue(kind, next)]))));
    const bytes = tool(['encode', '--type', className, '-', '-o', '-'], lines.join('\n')).stdout;
    const keep = process.env.FORMAT_RANDOM_ARCHIVES;
    if (keep) fs.writeFileSync(path.join(keep, `${className}.bin`), bytes);
    const forms = parser(className, bytes);
    assert.deepStrictEqual([forms.length, forms], [2000, library(className, bytes)], className);
  }
});
