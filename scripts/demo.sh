#!/bin/sh
# The demo: assesses a copy of the BDE example project, migrates it in place
# with a report, shows the log of the run, the report's summary line and what
# changed, then restores the originals from the undo file.
# Usage: scripts/demo.sh BUILD_DIR
set -eu
build=${1:-build}
tool="$build/bin/mirel-migrate"
work="$build/demo"
app="$work/OrderDesk"

rm -rf "$work"
mkdir -p "$work"
cp -a examples/bde "$app"

echo "== mirel-migrate assess --project $app/OrderDesk.dpr"
"$tool" assess --project "$app/OrderDesk.dpr"

echo
echo "== mirel-migrate replace --project $app/OrderDesk.dpr --view-log --report $work/report.json"
# The report lies outside the project, so the restore below leaves it alone.
"$tool" replace --project "$app/OrderDesk.dpr" --view-log --report "$work/report.json"

echo
echo "== What changed (diff -ru examples/bde $app)"
# The binary form is compared through its text, so the change can be read.
# The run's lock file .mirel.lock stays in the folder, empty, by design.
diff -ru -x RBackup -x Wiz_Log.txt -x .mirel.lock -x Customers.dfm examples/bde "$app" || true
"$tool" form-to-text examples/bde/Customers.dfm "$work/Customers.before.txt" >/dev/null
"$tool" form-to-text "$app/Customers.dfm" "$work/Customers.after.txt" >/dev/null
diff -u "$work/Customers.before.txt" "$work/Customers.after.txt" \
  | sed "1s|.*|--- examples/bde/Customers.dfm (binary, shown as text)|;2s|.*|+++ $app/Customers.dfm (binary, shown as text)|" || true

echo
echo "== Backups and undo file in $app/RBackup"
ls "$app/RBackup"

echo
echo "== mirel-migrate restore $app/RBackup/RExpert.reu"
"$tool" restore "$app/RBackup/RExpert.reu"
if diff -r -x RBackup -x Wiz_Log.txt -x .mirel.lock examples/bde "$app" >/dev/null; then
  echo "The originals are back, byte for byte."
else
  echo "demo: the restored files differ from the originals" >&2
  exit 1
fi
