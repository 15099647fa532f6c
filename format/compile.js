#!/usr/bin/env node
// Generates parsers from the archive description with the npm build of the Kaitai Struct
// compiler, which offers no command line of its own.
//
//   node format/compile.js [--out DIR] LANGUAGE...   (default DIR: build/format)
//
// Writes the files of each LANGUAGE (javascript, java, go, csharp, python, rust, ... as the
// compiler names them) into DIR/LANGUAGE and lists them. Descriptions that the main one imports
// are looked up beside it. Exits with 1 when the compiler rejects the description.
'use strict';
const fs = require('fs');
const path = require('path');
const yaml = require('js-yaml');
const compiler = require('kaitai-struct-compiler');

const kDescription = path.join(__dirname, 'dataobjects_archive.ksy');

function readDescription(file) {
  return yaml.load(fs.readFileSync(file, 'utf8'));
}

// Imports name other descriptions relative to the importing one, without the .ksy suffix.
const importer = {
  importYaml: (name) => Promise.resolve(readDescription(path.join(__dirname, `${name}.ksy`))),
};

/// The generated files of `language`, by file name.
async function compile(language, description = readDescription(kDescription)) {
  return compiler.compile(language, description, importer, false);
}

async function main(args) {
  let out = path.join(__dirname, '..', 'build', 'format');
  if (args[0] === '--out') out = args.splice(0, 2)[1];
  if (args.length === 0 || out === undefined) {
    console.error('usage: node format/compile.js [--out DIR] LANGUAGE...');
    console.error(`languages: ${compiler.languages.join(', ')}`);
    return 2;
  }
  const description = readDescription(kDescription);
  for (const language of args) {
    const files = await compile(language, description);
    for (const [name, text] of Object.entries(files)) {
      const file = path.join(out, language, name);
      fs.mkdirSync(path.dirname(file), { recursive: true });
      fs.writeFileSync(file, text);
      console.log(path.relative(process.cwd(), file));
    }
  }
  return 0;
}

module.exports = { compile, compilerVersion: compiler.version };

if (require.main === module) {
  main(process.argv.slice(2)).then(
    (code) => process.exit(code),
    (error) => {
      console.error(`format/compile.js: ${error instanceof Error ? error.message : error}`);
      process.exit(1);
    },
  );
}
