#!/bin/sh
# Runs every libFuzzer target of fuzz/ for SECONDS seconds each (default 60),
# from seed inputs taken from examples/ and tests/data, under ASan and UBSan.
# A crash stops the script with the fuzzer's report and the input that
# crashed it (fuzz/crashes/<target>/); such an input becomes a test.
#   scripts/fuzz.sh BUILD_DIR [SECONDS]
set -eu
BUILD=${1:-build-fuzz}
SECONDS_EACH=${2:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mirel-fuzz.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

seed() {  # target, then find(1) name patterns
  target=$1; shift
  mkdir -p "$WORK/$target"
  for pattern in "$@"; do
    find "$ROOT/examples" "$ROOT/tests/data" -type f -iname "$pattern" \
      -exec cp {} "$WORK/$target/" \; 2>/dev/null || true
  done
}
seed FormConvert '*.dfm'
seed BinaryForm '*.dfm'
seed UnitRewrite '*.pas' '*.dpr'
seed ProjectFiles '*.dpr' '*.dproj'
seed UndoFile '*.reu'
# Undo files of our own: ordinary lines, "=" in names, other encodings.
printf '/p/Main.pas=/p/RBackup/Main.~pas\r\n/p/Main.dfm=/p/RBackup/Main.~dfm\r\n' \
  > "$WORK/UndoFile/plain.reu"
printf '\357\273\277/p=v2/a=b.pas=/p=v2/RBackup/a=b.~pas\n' > "$WORK/UndoFile/equals.reu"
# The project readers take a selector byte first: 0 .dpr, 1 .dproj.
for f in "$WORK"/ProjectFiles/*; do
  case "$f" in
    *.dproj|*.DPROJ) { printf '\001'; cat "$f"; } > "$f.in" ;;
    *) { printf '\000'; cat "$f"; } > "$f.in" ;;
  esac
  rm "$f"
done

status=0
for target in FormConvert UnitRewrite BinaryForm ProjectFiles UndoFile; do
  echo "fuzz: $target for ${SECONDS_EACH}s" >&2
  crashes="$ROOT/fuzz/crashes/$target"
  mkdir -p "$crashes"
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
      "$BUILD/bin/fuzz_$target" -max_total_time="$SECONDS_EACH" -max_len=65536 -timeout=20 \
      -rss_limit_mb=2048 -print_final_stats=0 -artifact_prefix="$crashes/" \
      "$WORK/$target" > "$WORK/$target.log" 2>&1; then
    echo "fuzz: $target FAILED; the report:" >&2
    tail -60 "$WORK/$target.log" >&2
    status=1
  else
    tail -1 "$WORK/$target.log" >&2
    rmdir "$crashes" 2>/dev/null || true
  fi
done
exit $status
