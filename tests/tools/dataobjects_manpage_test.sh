#!/usr/bin/env bash
# The manual page against the tool's own help: each subcommand has its section, every option of
# the tool is in OPTIONS, and every option of a subcommand is in that subcommand's section.
# Usage: dataobjects_manpage_test.sh TOOL PAGE
set -u
tool=$1
page=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The page's lines from the heading matching START to the next heading, without font escapes.
section() {
  sed -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' "$page" |
    awk -v start="$1" '$0 ~ start { on = 1; next } on && /^\.S[HS] / { exit } on'
}
# A help text's entries under HEADING ("Options:", "Subcommands:"); "-o,--output" gives both.
entries() { awk -v h="$1" '/^[A-Za-z]+:$/ { s = $1; next } s == h && NF { print $1 }' | tr , '\n'; }
require() {
  grep -Eq -- "(^|[^-[:alnum:]])$1([^-[:alnum:]]|\$)" <<<"$(section "$2")" ||
    fail "$1 is not in the page's section ${2//\\/}"
}

help=$("$tool" --help)
commands=$(entries Subcommands: <<<"$help")
[ -n "$commands" ] && [ -n "$(entries Options: <<<"$help")" ] ||
  fail "no subcommands or options in: $help"
for option in $(entries Options: <<<"$help"); do require "$option" '^\.SH OPTIONS$'; done
for command in $commands; do
  grep -qx "\.SS $command" "$page" || fail "no section for the subcommand $command"
  for option in $("$tool" "$command" --help | entries Options: | grep -vxE -- '-h|--help'); do
    require "$option" "^\\.SS $command\$"
  done
done
[ "$failures" -eq 0 ] && echo "every subcommand and option is in the manual page"
exit $((failures > 0))
