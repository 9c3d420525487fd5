#!/bin/sh
# Builds the Debian package from the build in BUILD and tries it without
# installing it: unpacked with dpkg -x into a temporary folder, never into
# the machine's /usr. Checks the control fields and the files the package
# must hold, runs mirel-migrate --version, migrates and restores a copy of
# examples/bde with the unpacked program, starts the unpacked workbench
# offscreen and looks for its plugin and the wizard's menu command, renders
# both man pages (and finds every command and option of the programs' help
# in them), validates the desktop entry and runs lintian.
#   scripts/package-check.sh BUILD
set -eu
BUILD=${1:-build}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mirel-package.XXXXXX")
WORK=$(cd "$WORK" && pwd -P)
trap 'rm -rf "$WORK"' EXIT

fail() {
  echo "package-check: FAILED: $*" >&2
  exit 1
}
say() { echo "package-check: $*" >&2; }

# The package, made afresh.
rm -f "$BUILD"/mirel_*.deb
(cd "$BUILD" && cpack -G DEB) > "$WORK/cpack.log" 2>&1 || {
  cat "$WORK/cpack.log" >&2
  fail "cpack did not build the package"
}
set -- "$BUILD"/mirel_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "cpack made no single $BUILD/mirel_*.deb"
DEB=$1
say "built $DEB"

# Control fields.
field() { dpkg-deb --field "$DEB" "$1"; }
[ "$(field Package)" = mirel ] || fail "Package is '$(field Package)', not mirel"
[ "$(field Section)" = devel ] || fail "Section is '$(field Section)', not devel"
[ "$(field Maintainer)" = "Mirel Migration Wizard developers <migration@mirel.example>" ] ||
  fail "Maintainer is '$(field Maintainer)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
VERSION=$(field Version)
[ "$DEB" = "$BUILD/mirel_${VERSION}_$(field Architecture).deb" ] || fail "the file name $DEB is not mirel_${VERSION}_<arch>.deb"
DEPENDS=$(field Depends)
# dpkg-shlibdeps' work: the C library, the C++ library, Qt, libxml2, nettle.
for lib in libc6 libstdc++6 libqt6widgets6 libxml2 libnettle8; do
  echo "$DEPENDS" | grep -q "\\b$lib\\b" || fail "Depends does not name $lib: $DEPENDS"
done
[ "$(field Description | wc -l)" -ge 3 ] || fail "the description has no long text"
! field Description | grep -q '^ *;' || fail "the description's lines begin with ';': $(field Description)"

# Every file lies under the prefix /usr, and the package holds what it must.
dpkg-deb --contents "$DEB" | awk '{ print $6 }' > "$WORK/contents"
outside=$(grep -v -e '^\./$' -e '^\./usr/' "$WORK/contents" || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
for f in \
  usr/bin/mirel-migrate \
  usr/bin/mirel-host \
  usr/lib/mirel/plugins/libmirel-wizard.so \
  usr/share/man/man1/mirel-migrate.1.gz \
  usr/share/man/man1/mirel-host.1.gz \
  usr/share/applications/mirel-host.desktop \
  usr/share/icons/hicolor/scalable/apps/mirel-host.svg \
  usr/share/doc/mirel/README.md \
  usr/share/doc/mirel/LICENSE \
  usr/share/doc/mirel/copyright \
  usr/share/doc/mirel/changelog.gz; do
  grep -qx "\\./$f" "$WORK/contents" || fail "the package has no /$f"
done

dpkg -x "$DEB" "$WORK/root"
USR="$WORK/root/usr"
MIGRATE="$USR/bin/mirel-migrate"
HOST="$USR/bin/mirel-host"

# The command line, from the unpacked folder.
[ "$("$MIGRATE" --version)" = "mirel-migrate $VERSION" ] || fail "mirel-migrate --version does not say $VERSION"
[ "$(env -u DISPLAY "$HOST" --version)" = "mirel-host $VERSION" ] || fail "mirel-host --version does not say $VERSION"

# A migration of a copy of the BDE example and its restore.
APP="$WORK/OrderDesk"
cp -a examples/bde "$APP"
"$MIGRATE" replace --project "$APP/OrderDesk.dpr" > "$WORK/replace.log" 2>&1 || {
  cat "$WORK/replace.log" >&2
  fail "mirel-migrate replace failed"
}
[ -s "$APP/RBackup/RExpert.reu" ] || fail "the run wrote no undo file"
[ -s "$APP/Wiz_Log.txt" ] || fail "the run wrote no log"
if diff -r -q -x RBackup -x Wiz_Log.txt -x .mirel.lock examples/bde "$APP" > /dev/null; then
  fail "the run changed nothing in examples/bde"
fi
"$MIGRATE" restore "$APP/RBackup/RExpert.reu" > "$WORK/restore.log" 2>&1 || {
  cat "$WORK/restore.log" >&2
  fail "mirel-migrate restore failed"
}
diff -r -x RBackup -x Wiz_Log.txt -x .mirel.lock examples/bde "$APP" >&2 ||
  fail "the restored project differs from examples/bde"
say "migrated and restored a copy of examples/bde"

# The workbench, offscreen, with the plugin of the package only.
env -u DISPLAY -u MIREL_PLUGIN_PATH QT_QPA_PLATFORM=offscreen "$HOST" --list-menu \
  > "$WORK/menu" 2>&1 || {
  cat "$WORK/menu" >&2
  fail "mirel-host --list-menu failed"
}
grep -qx "Loaded plugin $USR/lib/mirel/plugins/libmirel-wizard.so" "$WORK/menu" || {
  cat "$WORK/menu" >&2
  fail "the unpacked mirel-host did not load the unpacked plugin"
}
grep -qx "Mirel > Migration Wizard" "$WORK/menu" || {
  cat "$WORK/menu" >&2
  fail "the menu bar has no Mirel > Migration Wizard"
}
say "mirel-host loaded its plugin: Mirel > Migration Wizard"

# The man pages render without a warning, and hold every command and option.
for page in mirel-migrate mirel-host; do
  file="$USR/share/man/man1/$page.1.gz"
  # Without hyphenation, so that words can be found whatever the line breaks.
  MANWIDTH=80 man --warnings --nh -l "$file" > "$WORK/$page.txt" 2> "$WORK/$page.err" ||
    fail "man -l $file failed"
  [ ! -s "$WORK/$page.err" ] || {
    cat "$WORK/$page.err" >&2
    fail "man reports problems in $page.1"
  }
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES "SEE ALSO"; do
    grep -qx "$section" "$WORK/$page.txt" || fail "$page.1 has no $section section"
  done
done
grep -qx "EXIT STATUS" "$WORK/mirel-migrate.txt" || fail "mirel-migrate.1 has no EXIT STATUS"
# The options a help lists, one a line.
options() { grep -o -e '--[a-z][a-z-]*' | sort -u; }
# The page as one line.
tr -s ' \n' ' ' < "$WORK/mirel-migrate.txt" > "$WORK/mirel-migrate.flat"
commands=$("$MIGRATE" --help | awk '/^Subcommands:$/ { on = 1; next } on && /^  [^ ]/ { print $1; next } on { exit }')
[ -n "$commands" ] || fail "mirel-migrate --help lists no commands"
for c in $commands; do
  grep -q "mirel-migrate $c " "$WORK/mirel-migrate.flat" || fail "mirel-migrate.1 has no command $c"
  for o in $("$MIGRATE" "$c" --help | options); do
    grep -q -e "$o\\b" "$WORK/mirel-migrate.flat" || fail "mirel-migrate.1 lacks $c's option $o"
  done
done
tr -s ' \n' ' ' < "$WORK/mirel-host.txt" > "$WORK/mirel-host.flat"
for o in $(env -u DISPLAY "$HOST" --help | options); do
  grep -q -e "$o\\b" "$WORK/mirel-host.flat" || fail "mirel-host.1 lacks the option $o"
done
say "both man pages render and hold every command and option"

# The desktop entry starts the packaged program and finds the packaged icon.
desktop="$USR/share/applications/mirel-host.desktop"
desktop-file-validate "$desktop" >&2 || fail "mirel-host.desktop is not valid"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$USR/bin/$exec_name" ] || fail "the desktop entry starts $exec_name, which the package lacks"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$USR/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the desktop entry's icon $icon is not in the package"

# Lintian: no errors.
# Its status: 0 no error, 1 errors, 2 and more it could not check.
status=0
lintian --fail-on error --tag-display-limit 0 "$DEB" > "$WORK/lintian" 2> "$WORK/lintian.err" || status=$?
if [ $status -ne 0 ] || grep -q '^E: ' "$WORK/lintian"; then
  cat "$WORK/lintian" "$WORK/lintian.err" >&2
  fail "lintian reports errors (status $status)"
fi
[ ! -s "$WORK/lintian" ] || { say "lintian (no errors):"; cat "$WORK/lintian" >&2; }
say "OK: $DEB"
