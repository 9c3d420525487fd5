#!/bin/sh
# Renders the pictures of docs/images from the build in $1 (default build):
# every page of the wizard and its confirmation dialog, the first page at
# scale 1.5 and 2, and the workbench with the wizard's menu and with the
# Changes panel after a replace. Offscreen unless QT_QPA_PLATFORM says
# otherwise (e.g. QT_QPA_PLATFORM=xcb under xvfb-run).
set -eu
BUILD=${1:-build}
OUT=docs/images
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
mkdir -p "$OUT"
"$BUILD/bin/mirel-wizard-shots" "$OUT"
QT_SCALE_FACTOR=1.5 "$BUILD/bin/mirel-wizard-shots" "$OUT" --first-page-only --suffix -scale1.5
QT_SCALE_FACTOR=2 "$BUILD/bin/mirel-wizard-shots" "$OUT" --first-page-only --suffix -scale2
"$BUILD/bin/mirel-host" --screenshot "$OUT/workbench.png" examples/bde/OrderDesk.dpr
"$BUILD/bin/mirel-workbench-shots" "$OUT"
