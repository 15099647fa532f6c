#!/usr/bin/env node
// Prints the objects of an archive file, one JSON line each, with the parser generated from the
// archive descriptions (`node format/compile.js javascript` writes it into format/build). An
// archive that cannot be read prints the objects before the failure, then where it failed.
//
//   node examples/js/print_archive.js CLASS FILE      e.g. AlarmDataDO alarms.bin
'use strict';
const fs = require('fs');
const { eachObject, jsonForm, jsonText } = require('../../format/dataobjects_archive');

const [className, file] = process.argv.slice(2);
if (file === undefined) {
  console.error('usage: node examples/js/print_archive.js CLASS FILE');
  process.exit(2);
}
try {
  for (const { object } of eachObject(fs.readFileSync(file), className)) {
    console.log(jsonText(jsonForm(object)));
  }
} catch (error) {
  console.error(`${file}: ${error.message}`);
  process.exit(1);
}
