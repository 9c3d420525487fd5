#!/bin/sh
# Kills a real `mirel-migrate replace` with SIGKILL at spread-out moments of
# its run and checks, after each kill, what a run promises whatever stops it:
#  - every original is either untouched or replaced by its complete converted
#    version (byte for byte what an uninterrupted run writes);
#  - every replaced original is named in the undo file, and its backup holds
#    the original;
#  - a restore from the undo file brings every original back byte for byte.
#   scripts/killtest.sh BUILD_DIR [KILLS]      (default 30 kills)
set -eu
BUILD=${1:-build}
KILLS=${2:-30}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
TOOL="$ROOT/$BUILD/bin/mirel-migrate"
[ -x "$TOOL" ] || TOOL="$BUILD/bin/mirel-migrate"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mirel-kill.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# A folder of 40 copies of the example applications: units, text and binary
# forms, code pages and UTF-8, in subfolders.
mkdir -p "$WORK/pristine"
i=0
while [ $i -lt 40 ]; do
  mkdir -p "$WORK/pristine/app$i"
  cp "$ROOT"/examples/bde/* "$WORK/pristine/app$i/"
  mkdir -p "$WORK/pristine/app$i/ado"
  cp "$ROOT"/examples/ado/* "$WORK/pristine/app$i/ado/"
  i=$((i + 1))
done
(cd "$WORK/pristine" && find . -type f | sort) > "$WORK/files"

# What an uninterrupted run writes, and how long it takes (in ms).
cp -a "$WORK/pristine" "$WORK/converted"
start=$(date +%s%N)
"$TOOL" replace --folder "$WORK/converted" --subdirs --no-log > /dev/null 2>&1
end=$(date +%s%N)
run_ms=$(( (end - start) / 1000000 ))
[ $run_ms -ge 1 ] || run_ms=1
echo "killtest: a full run takes ${run_ms} ms; $KILLS kills spread over it" >&2

fail() { echo "killtest: kill $k after ${delay_ms} ms: $*" >&2; exit 1; }

k=1
while [ $k -le "$KILLS" ]; do
  rm -rf "$WORK/run"
  cp -a "$WORK/pristine" "$WORK/run"
  # From the first moment to a little past the end of a run.
  delay_ms=$(( run_ms * k * 11 / (KILLS * 10) ))
  "$TOOL" replace --folder "$WORK/run" --subdirs --no-log > /dev/null 2>&1 &
  pid=$!
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  kill -KILL $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true

  undo="$WORK/run/RBackup/RExpert.reu"
  replaced=0
  while read -r f; do
    if cmp -s "$WORK/run/$f" "$WORK/pristine/$f"; then continue; fi
    cmp -s "$WORK/run/$f" "$WORK/converted/$f" || fail "$f is neither the original nor its conversion"
    [ -f "$undo" ] || fail "$f was replaced but there is no undo file"
    full="$WORK/run/${f#./}"
    line=$(tr -d '\r' < "$undo" | sed 's/^\xEF\xBB\xBF//' | grep -F "$full=" | head -1 || true)
    [ -n "$line" ] || fail "$f was replaced but the undo file does not name it"
    backup=${line#"$full="}
    cmp -s "$backup" "$WORK/pristine/$f" || fail "the backup of $f does not hold the original"
    replaced=$((replaced + 1))
  done < "$WORK/files"

  if [ -f "$undo" ]; then
    "$TOOL" restore "$undo" > /dev/null 2>&1 || [ $replaced -eq 0 ] || fail "restore failed"
    while read -r f; do
      cmp -s "$WORK/run/$f" "$WORK/pristine/$f" || fail "$f not restored"
    done < "$WORK/files"
  fi
  echo "killtest: kill $k after ${delay_ms} ms: $replaced replaced, all restorable" >&2
  k=$((k + 1))
done
echo "killtest: $KILLS kills, every original whole and restorable" >&2
