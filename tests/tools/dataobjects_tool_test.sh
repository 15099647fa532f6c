#!/usr/bin/env bash
# The dataobjects tool against the golden archives: usage errors, dump and encode round trips
# for every class, and the report of an archive that ends inside an object.
# Usage: dataobjects_tool_test.sh TOOL DATA_DIR
set -u
tool=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect_status STATUS COMMAND...: runs the command, output to $work/out and $work/err.
expect_status() {
  local want=$1
  shift
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  [ "$got" -eq "$want" ] || fail "$* exited $got, expected $want: $(head -c 300 "$work/err")"
}

expect_status 2 "$tool"
expect_status 2 "$tool" dump "$data/JobDataDO-full.bin"
expect_status 2 "$tool" dump --type NoSuchClass "$data/JobDataDO-full.bin"
expect_status 2 "$tool" encode --type JobData --bogus
expect_status 0 "$tool" --version
grep -q '^dataobjects [0-9]' "$work/out" || fail "--version printed $(cat "$work/out")"
for command in demo dump encode; do
  expect_status 0 "$tool" "$command" --help
  grep -q 'Usage' "$work/out" || fail "$command --help shows no usage"
done
expect_status 0 "$tool" demo -o "$work/demo.bin"
[ -s "$work/demo.bin" ] || fail "demo wrote no archive"

# Every golden archive: dump as text and as JSON, encode the JSON, get the same bytes back.
for archive in "$data"/*.bin; do
  name=$(basename "$archive" .bin)
  class=${name%%-*}
  expect_status 0 "$tool" dump --type "${class%DO}" "$archive"
  grep -q "^${class%DO}\[" "$work/out" || fail "$name: text dump is $(head -c 100 "$work/out")"
  expect_status 0 "$tool" dump --type "$class" --json - <"$archive"
  cp "$work/out" "$work/$name.json"
  expect_status 0 "$tool" encode --type "$class" "$work/$name.json" -o "$work/$name.bin"
  cmp -s "$archive" "$work/$name.bin" || fail "$name: dump --json | encode changed the bytes"
done

# Texts that are not well-formed UTF-8 (overlong, surrogate, above U+10FFFF, cut short) dump
# as base64, which encodes back to the same text.
for text in wIA= 7aCA 9JCAgA== ww==; do
  sed "s|\"TrendDataDetails\":\"\"|\"TrendDataDetails\":{\"base64\":\"$text\"}|" \
    "$work/TrendDataDO-default.json" >"$work/text.json"
  expect_status 0 "$tool" encode --type TrendData "$work/text.json" -o "$work/text.bin"
  expect_status 0 "$tool" dump --type TrendData --json "$work/text.bin"
  cmp -s "$work/text.json" "$work/out" || fail "text $text: dump --json gave $(cat "$work/out")"
done

# Two objects, the second cut after 20 of its 39 bytes: the report names object 1, bytes 39 to 59.
cat "$data/JobDataDO-full.bin" >"$work/cut.bin"
head -c 20 "$data/JobDataDO-full.bin" >>"$work/cut.bin"
expect_status 1 "$tool" dump --type JobDataDO "$work/cut.bin"
[ "$(wc -l <"$work/out")" -eq 1 ] || fail "the object before the cut was not printed"
grep -q 'object 1 (bytes 39 to 59)' "$work/err" || fail "cut report: $(cat "$work/err")"
grep -q 'Deserializing of object long long failed' "$work/err" || fail "no reason: $(cat "$work/err")"

# A bad line is reported with its number and field and writes nothing; the good lines are kept.
good=$(cat "$work/JobDataDO-full.json")
printf '%s\n%s\n%s\n' "$good" '{"CurrentUuid":"00000000-0000-0000-0000-000000000000","MeasurementTimeStamp":"x","JobConfig":"00000000-0000-0000-0000-000000000000"}' "$good" >"$work/lines.json"
expect_status 1 "$tool" encode --type JobData "$work/lines.json" -o "$work/lines.bin"
grep -q 'line 2: field MeasurementTimeStamp' "$work/err" || fail "bad line report: $(cat "$work/err")"
cat "$data/JobDataDO-full.bin" "$data/JobDataDO-full.bin" | cmp -s - "$work/lines.bin" ||
  fail "the rejected line left bytes behind"

[ "$failures" -eq 0 ] && echo "all checks passed"
exit $((failures > 0))
