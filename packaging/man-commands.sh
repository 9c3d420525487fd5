#!/bin/sh
# Writes the help2man include sections SYNOPSIS and COMMANDS of
# mirel-migrate.1 from the --help of every subcommand the program lists, so
# the page has every command and option the program has.
#   packaging/man-commands.sh MIREL_MIGRATE OUT
set -eu
tool=$1
out=$2
here=$(dirname "$0")

commands=$("$tool" --help | awk '
  /^Subcommands:$/ { on = 1; next }
  on && /^  [^ ]/ { print $1; next }
  on { exit }')
[ -n "$commands" ] || { echo "man-commands.sh: $tool --help lists no subcommands" >&2; exit 1; }

tmp="$out.tmp"
{
  echo "[SYNOPSIS]"
  for c in $commands; do
    "$tool" "$c" --help > "$tmp.help"
    sed -n 's/^Usage: //p' "$tmp.help" | sed 's/-/\\-/g; s/^\(mirel\\-migrate [^ ]*\)/\\fB\1\\fR/; s/$/\n.br/'
  done
  printf '%s\n' '\fBmirel\-migrate \-\-version\fR'
  echo
  echo "[COMMANDS]"
  printf '%s\n' 'Each command has its own options; \fBmirel\-migrate \fICOMMAND\fB \-\-help\fR' \
    'prints the same as its part of this section.'
  for c in $commands; do
    # Through a file, so a failing --help fails the build.
    "$tool" "$c" --help > "$tmp.help"
    awk -f "$here/help2roff.awk" "$tmp.help"
  done
} > "$tmp"
rm -f "$tmp.help"
mv "$tmp" "$out"
