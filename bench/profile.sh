#!/usr/bin/env bash
# Where the time of a whole run goes, per phase, on the real-shaped project.
#
#   bench/profile.sh [BUILD_DIR] [RUNS] [-- REPLACE OPTIONS]
#
# Samples RUNS (10) `mirel-migrate replace --folder -j 1` runs over fresh
# copies of the real-shaped project on tmpfs (the disk's waits are not CPU
# time and would not be sampled) with `perf record --call-graph dwarf`, and
# sorts every sample into a phase by the innermost frame of its stack that
# tells one: reading, decoding, converting, encoding, writing, backup, sync,
# rename, the undo file / checksums / log, listing the folder, resolving
# paths, stat, open and close, memory (page faults and returning memory,
# malloc and free), process start, other system calls, other. Needs perf (Debian
# package linux-perf) and a build made by bench/run.sh (BUILD_DIR, default
# build-bench); the project (PROFILE_UNITS units, 1000) is generated there
# when missing. Not part of
# `make bench`: the machine may not allow perf.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-build-bench}
[[ $BUILD = /* ]] || BUILD=$ROOT/$BUILD
RUNS=${2:-10}
shift $(($# > 2 ? 2 : $#))
[[ ${1:-} = -- ]] && shift
EXTRA=("$@")
BIN=$BUILD/bin
command -v perf >/dev/null || {
  echo "profile: perf is not installed (apt-get install linux-perf)" >&2
  exit 1
}
[[ -x $BIN/mirel-migrate ]] || {
  echo "profile: no $BIN/mirel-migrate: run bench/run.sh first" >&2
  exit 1
}
UNITS=${PROFILE_UNITS:-1000}
PROJECT=$BUILD/bench-profile/project
STAMP="real 20240601 $UNITS $(cksum <"$BIN/mirel-bench-gen")"
if [[ ! -f $PROJECT.stamp || $(cat "$PROJECT.stamp") != "$STAMP" ]]; then
  rm -rf "$PROJECT"
  mkdir -p "$BUILD/bench-profile"
  "$BIN/mirel-bench-gen" --shape real --seed 20240601 --units "$UNITS" "$PROJECT" >/dev/null
  printf '%s\n' "$STAMP" >"$PROJECT.stamp"
fi
BASE=/dev/shm
[[ -d $BASE && -w $BASE ]] || BASE=${TMPDIR:-/tmp}
WORK=$(mktemp -d "$BASE/mirel-profile.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

for ((i = 1; i <= RUNS; i++)); do
  cp -a "$PROJECT" "$WORK/run.$i"
  mkdir "$WORK/tmp.$i"
done
cat >"$WORK/runs.sh" <<EOF
#!/usr/bin/env bash
for ((i = 1; i <= $RUNS; i++)); do
  TMPDIR=$WORK/tmp.\$i "$BIN/mirel-migrate" replace --folder "$WORK/run.\$i" -j 1 ${EXTRA[*]} \
    </dev/null >/dev/null || exit 1
done
EOF
chmod +x "$WORK/runs.sh"
FREQ=4000
perf record -q -F "$FREQ" --call-graph dwarf,16384 -o "$WORK/perf.data" -- "$WORK/runs.sh" \
  2>"$WORK/perf.log" || {
  cat "$WORK/perf.log" >&2
  exit 1
}
perf script -i "$WORK/perf.data" 2>/dev/null >"$WORK/perf.txt"
# PROFILE_KEEP=FILE keeps the samples' stacks (perf script's text) for a closer look.
[[ -z ${PROFILE_KEEP:-} ]] || cp "$WORK/perf.txt" "$PROFILE_KEEP"

# One sample per paragraph: a header line, then its frames, innermost first.
awk -v runs="$RUNS" -v freq="$FREQ" -v units="$UNITS" '
function phase(f) {
  # system calls, by the call
  if (f ~ /syncfs|sync_filesystem/) return "sync"
  if (f ~ /renameat|do_renameat2/) return "rename"
  if (f ~ /linkat|do_linkat/) return "backup"
  if (f ~ /__x64_sys_read|ksys_read|__libc_read/) return "reading"
  if (f ~ /__x64_sys_write|ksys_write|__x64_sys_pwrite|__libc_write/) return "writing"
  if (f ~ /[ \t]rename[+ ]/) return "rename"
  if (f ~ /getdents/) return "listing the folder"
  if (f ~ /readlink|realpath/) return "resolving paths (readlink, realpath)"
  if (f ~ /fstatat|statx|vfs_fstat/) return "stat"
  if (f ~ /openat|open64|__close|__x64_sys_close|__x64_sys_unlink|unlinkat|fchmod|DeleteFile/) return "open, close, unlink, chmod"
  if (f ~ /exc_page_fault|flush_tlb|munmap|__x64_sys_brk|do_brk/) return "memory (page faults, returning memory)"
  # our code
  if (f ~ /TextToBinaryForm|GetBytes|Encode/) return "encoding"
  if (f ~ /BinaryFormToText|GetString|Decode/) return "decoding"
  if (f ~ /Sha256|sha256|nettle|UndoFile|RunManifest|LogWriter|TLog/) return "undo file, checksums, log"
  if (f ~ /BackUp|LinkFile|CopyFile/) return "backup"
  if (f ~ /MoveFile|ReplaceFile|MoveFolder|::Rename/) return "rename"
  if (f ~ /::Sync/) return "sync"
  if (f ~ /ReadFile/) return "reading"
  if (f ~ /WriteFile/) return "writing"
  if (f ~ /ListFolder|FindFiles|CollectFiles/) return "listing the folder"
  if (f ~ /TParser::|TPasParser|TLL1Parser|TKyFormParser|TFormParser|TMemoTable|LexemList|TComponentReplacer::(Convert|Process|Rewrite|Replace)|Rewriter|FormReplace|FollowUp/) return "converting"
  if (f ~ /_dl_|dl_main|ld-linux/) return "process start"
  return ""
}
BEGIN { RS = ""; FS = "\n" }
{
  n++
  p = ""
  sys = 0
  for (i = 2; i <= NF && p == ""; i++) {
    p = phase($i)
    if ($i ~ /entry_SYSCALL|do_syscall_64/) sys = 1
  }
  if (p == "") {
    leaf = $2
    sub(/^[ \t]*[0-9a-f]+ /, "", leaf)
    sub(/\+0x.*/, "", leaf)
    if (sys) p = "other system calls"
    else if (leaf ~ /malloc|free|_int_|operator new|cfree|tcache|unlink_chunk|request2size|__brk/) p = "memory (malloc, free)"
    else if (leaf ~ /memset|memmove|memcpy/) p = "memory (copies outside the phases)"
    else { p = "other"; other[leaf]++ }
  }
  count[p]++
}
END {
  printf "%d samples at %d Hz over %d runs (-j 1, tmpfs, %d units): %.1f ms of CPU per run\n\n", n, freq, runs, units, n * 1000 / freq / runs
  printf "%7s %9s  %s\n", "share", "ms/run", "phase"
  for (p in count) printf "%6.1f%% %9.1f  %s\n", 100 * count[p] / n, count[p] * 1000 / freq / runs, p | "sort -rn"
  close("sort -rn")
  printf "\nmost frequent innermost frames of \"other\":\n"
  for (l in other) printf "  %6d  %s\n", other[l], l | "sort -rn | head -8"
}' "$WORK/perf.txt"
