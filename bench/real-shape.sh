# shellcheck shell=bash disable=SC2317  # functions called through timed
# The real-shaped project in bench/run.sh: sourced by it, uses its helpers
# (timed, med, ratio, le, ge, pass, mb, say, die) and settings (BIN, MIGRATE,
# BUILD, FAST, RUNS, SEED, TIME, REPLACE_ARGS, ROOT).
#
#   real_shape_runs      the whole run against cp -a on disk and on tmpfs, the
#                        same run with -j 1, and the checks of the outputs
#   real_shape_tenfold   ten times the project: time against the 1x run, peak
#                        memory, -j 2 against -j 1, outputs compared
#   real_shape_report    the rows of the report (both shapes side by side)
#   real_shape_status    fails (status 1, loudly) when an output differed
#
# Knobs: BENCH_SCALE (1; 0.1 makes every project of this part ten times
# smaller, to try the machinery), BENCH_TENFOLD (1; 0 skips the 10x run),
# BENCH_UPDATE_SUMS (1 rewrites bench/results/real-shape.sha256 from this
# run's output instead of comparing; only at BENCH_SCALE=1).
#
# The reference list holds the SHA-256 of every file of the 1x real-shaped
# project as `replace` leaves it (backups, log and lock file aside). A file is
# a pure function of the seed and its index, and its conversion a function of
# its bytes, so the files of a smaller or larger project are compared with
# the same list (the project file, which names every unit, only at scale 1).

REAL_SCALE=${BENCH_SCALE:-1}
REAL_UNITS=$(awk -v s="$REAL_SCALE" 'BEGIN {n = int(1000 * s + 0.5); print (n < 10 ? 10 : n)}')
REAL_TEN_UNITS=$((REAL_UNITS * 10))
REAL_WORK=$BUILD/bench-real
REAL_SUMS=$ROOT/bench/results/real-shape.sha256
REAL_MISMATCH=""
REAL_SHM_DONE=0
REAL_TEN_DONE=0

# real_generate DIR UNITS: the real-shaped project of UNITS units in DIR, kept
# between runs while the generator and the size stay the same (rewriting
# thousands of files right before timing slows the file system down).
real_generate() {
  local dir=$1 units=$2
  local stamp
  stamp="real $SEED $units $(cksum <"$BIN/mirel-bench-gen")"
  if [[ ! -f $dir.stamp || $(cat "$dir.stamp") != "$stamp" ]]; then
    say "== generating the real-shaped project: $units units"
    rm -rf "$dir" "$dir.stamp"
    "$BIN/mirel-bench-gen" --shape real --seed "$SEED" --units "$units" "$dir" >"$dir.summary" ||
      die "the generator failed"
    printf '%s\n' "$stamp" >"$dir.stamp"
  fi
}

# real_sums DIR OUT: sha256sum of every file a run leaves in DIR, backups,
# log and lock file aside, by path relative to DIR.
real_sums() {
  (cd "$1" && find . -type f ! -path './RBackup/*' ! -name Wiz_Log.txt ! -name .mirel.lock \
    -print0 | sort -z | xargs -0 sha256sum) >"$2"
}

# real_compare_list SUMS LABEL: compares with the reference list; at scale 1
# the two must hold the same files, otherwise the files both hold.
real_compare_list() {
  local sums=$1 label=$2 full=0
  [[ $label = 1x && $REAL_UNITS = 1000 ]] && full=1
  if ! awk -v full="$full" '
      NR == FNR { ref[$2] = $1; next }
      { seen[$2] = 1
        if ($2 in ref) { n++; if (ref[$2] != $1) { print "  differs: " $2; bad++ } }
        else if (full) { print "  not in the list: " $2; bad++ } }
      END { if (full) for (p in ref) if (!(p in seen)) { print "  missing: " p; bad++ }
            print n " files compared" > "/dev/stderr"; exit bad > 0 }' \
    <(if ((full)); then cat "$REAL_SUMS"; else grep -v ' \./BenchProject\.dpr$' "$REAL_SUMS"; fi) \
    "$sums" >"$sums.diff" 2>"$sums.count"; then
    REAL_FAILED[$label]=1
    REAL_MISMATCH+="$label output differs from bench/results/real-shape.sha256 ($(grep -c . "$sums.diff") files, first: $(head -1 "$sums.diff" | sed 's/^ *//')); "
  fi
  REAL_COMPARED[$label]=$(cut -d' ' -f1 "$sums.count")
}
declare -A REAL_COMPARED REAL_FAILED

# real_compare_runs A B LABEL: two runs over the same files left the same bytes.
real_compare_runs() {
  if ! cmp -s "$1" "$2"; then
    REAL_FAILED[${3%%,*}]=1
    REAL_MISMATCH+="$3: the outputs differ ($(diff "$1" "$2" | grep -c '^<') files); "
  fi
}

real_shape_runs() {
  mkdir -p "$REAL_WORK"
  local project=$REAL_WORK/project
  real_generate "$project" "$REAL_UNITS"
  rm -rf "$REAL_WORK"/run.* "$REAL_WORK"/run1.* "$REAL_WORK"/tmp.* "$REAL_WORK"/tmp1.* \
    "$REAL_WORK"/copy.*
  REAL_SUMMARY=$(cat "$project.summary")
  REAL_BYTES=$(du -sb "$project" | cut -f1)
  REAL_FILES=$(find "$project" -type f | wc -l)

  real_replace() {  # real_replace DIR TMP [ARGS...]
    local dir=$1 tmp=$2
    shift 2
    # shellcheck disable=SC2086
    TMPDIR=$tmp "$MIGRATE" ${REPLACE_ARGS//DIR/$dir} "$@" </dev/null
  }
  real_disk_replace() { real_replace "$REAL_WORK/run.$1" "$REAL_WORK/tmp.$1"; }
  real_disk_replace1() { real_replace "$REAL_WORK/run1.$1" "$REAL_WORK/tmp1.$1" -j 1; }
  real_disk_cp() { cp -a "$project" "$REAL_WORK/copy.$1"; }

  say "== real-shaped project, whole run: $RUNS alternating runs"
  for ((i = 1; i <= RUNS; i++)); do
    cp -a "$project" "$REAL_WORK/run.$i"
    cp -a "$project" "$REAL_WORK/run1.$i"
    mkdir -p "$REAL_WORK/tmp.$i" "$REAL_WORK/tmp1.$i"
  done
  sync
  for ((i = 1; i <= RUNS; i++)); do
    timed real_cp real_disk_cp "$i"
    sync
    timed real_replace real_disk_replace "$i"
    sync
    timed real_replace1 real_disk_replace1 "$i"
    sync
  done

  # Outputs: the reference list, and one thread against two.
  real_sums "$REAL_WORK/run.1" "$REAL_WORK/sums.1x"
  real_sums "$REAL_WORK/run1.1" "$REAL_WORK/sums.1x-j1"
  if [[ ${BENCH_UPDATE_SUMS:-0} = 1 ]]; then
    [[ $REAL_UNITS = 1000 ]] || die "BENCH_UPDATE_SUMS=1 needs BENCH_SCALE=1"
    cp "$REAL_WORK/sums.1x" "$REAL_SUMS"
    say "== wrote $REAL_SUMS ($(wc -l <"$REAL_SUMS") files)"
  fi
  [[ -f $REAL_SUMS ]] || die "no $REAL_SUMS: make it with BENCH_UPDATE_SUMS=1 bench/run.sh"
  real_compare_list "$REAL_WORK/sums.1x" 1x
  real_compare_runs "$REAL_WORK/sums.1x" "$REAL_WORK/sums.1x-j1" "1x, -j 1 against -j 2"
  rm -rf "$REAL_WORK"/run.* "$REAL_WORK"/run1.* "$REAL_WORK"/tmp.* "$REAL_WORK"/tmp1.* \
    "$REAL_WORK"/copy.*

  # The same in memory.
  local need=$(((2 * RUNS + 3) * REAL_BYTES + 128 * 1024 * 1024))
  if [[ $(df --output=fstype "$FAST" | tail -1) = tmpfs ]] &&
    (($(df --output=avail -B1 "$FAST" | tail -1) > need)); then
    say "== real-shaped project in memory: $RUNS alternating runs"
    cp -a "$project" "$FAST/real"
    for ((i = 1; i <= RUNS; i++)); do
      cp -a "$FAST/real" "$FAST/real-run.$i"
      mkdir -p "$FAST/real-tmp.$i"
    done
    real_shm_replace() { real_replace "$FAST/real-run.$1" "$FAST/real-tmp.$1"; }
    real_shm_cp() { cp -a "$FAST/real" "$FAST/real-copy.$1"; }
    for ((i = 1; i <= RUNS; i++)); do
      timed real_shm_cp real_shm_cp "$i"
      timed real_shm_replace real_shm_replace "$i"
    done
    REAL_SHM_DONE=1
    rm -rf "$FAST"/real-run.* "$FAST"/real-tmp.* "$FAST"/real-copy.* "$FAST/real"
  fi
}

# Ten times the project, twice with two threads and twice with one, in the
# order 2 1 1 2 so that neither side always runs first after the copies (the
# disk is busiest then); each run under /usr/bin/time. The outputs of one run
# of each are compared with each other and, for the units of the 1x project,
# with the reference list.
real_shape_tenfold() {
  [[ ${BENCH_TENFOLD:-1} = 1 ]] || return 0
  [[ -n $TIME ]] || return 0
  local ten=$REAL_WORK/ten
  real_generate "$ten" "$REAL_TEN_UNITS"
  REAL_TEN_SUMMARY=$(cat "$ten.summary")
  REAL_TEN_BYTES=$(du -sb "$ten" | cut -f1)
  rm -rf "$REAL_WORK"/ten-run.* "$REAL_WORK"/ten-tmp.* "$FAST"/ten.*
  say "== real-shaped project x10: copies"
  local run
  for run in 2.1 1.1 1.2 2.2; do
    cp -a "$ten" "$REAL_WORK/ten-run.$run"
    mkdir -p "$REAL_WORK/ten-tmp.$run"
  done
  sync
  for run in 2.1 1.1 1.2 2.2; do
    local j=${run%.*}
    say "== real-shaped project x10: replace -j $j"
    local args=${REPLACE_ARGS//DIR/$REAL_WORK/ten-run.$run}
    # shellcheck disable=SC2086
    TMPDIR=$REAL_WORK/ten-tmp.$run "$TIME" -a -o "$FAST/ten.$j" -f '%e %U %S %M' "$MIGRATE" \
      $args -j "$j" </dev/null >/dev/null 2>>"$FAST/log" || die "the x10 replace run (-j $j) failed"
    sync
  done
  # mean wall, user and sys time of the two runs; the larger peak memory
  # shellcheck disable=SC2016  # an awk program
  local mean='{t += $1; u += $2; s += $3; if ($4 > m) m = $4} END {printf "%.2f %.2f %.2f %d\n", t / NR, u / NR, s / NR, m}'
  read -r REAL_TEN_T2 REAL_TEN_U2 REAL_TEN_S2 REAL_TEN_M2 < <(awk "$mean" "$FAST/ten.2")
  read -r REAL_TEN_T1 REAL_TEN_U1 REAL_TEN_S1 REAL_TEN_M1 < <(awk "$mean" "$FAST/ten.1")
  REAL_TEN_RUNS2=$(awk '{printf "%s%s", sep, $1; sep = " + "}' "$FAST/ten.2")
  REAL_TEN_RUNS1=$(awk '{printf "%s%s", sep, $1; sep = " + "}' "$FAST/ten.1")
  real_sums "$REAL_WORK/ten-run.2.1" "$REAL_WORK/sums.10x"
  real_sums "$REAL_WORK/ten-run.1.1" "$REAL_WORK/sums.10x-j1"
  real_compare_list "$REAL_WORK/sums.10x" 10x
  real_compare_runs "$REAL_WORK/sums.10x" "$REAL_WORK/sums.10x-j1" "10x, -j 1 against -j 2"
  REAL_TEN_FILES=$(wc -l <"$REAL_WORK/sums.10x")
  REAL_TEN_DONE=1
  rm -rf "$REAL_WORK"/ten-run.* "$REAL_WORK"/ten-tmp.*
}

# bytes_per_second of a Google Benchmark row in $MICRO, as printed ("30.9M/s").
real_micro() { printf '%s\n' "$MICRO" | awk -v n="$1" '$1 == n {print $2}'; }
# "30.9M/s" -> 30.9 (Google Benchmark's M is 2^20 bytes)
real_mbps() { sed -n 's#^\([0-9.]*\)M/s$#\1#p' <<<"$1"; }

real_shape_report() {
  local row='%-40s %26s %26s %10s  %s\n'
  echo
  echo "Both shapes side by side. Real-shaped project: $REAL_SUMMARY (seed $SEED, scale $REAL_SCALE);"
  echo "  $REAL_FILES files, $(mb $((REAL_BYTES / 1024))). Ratio (ours s / floor s, medians of $RUNS alternating runs)."
  # shellcheck disable=SC2059
  printf "$row" "Measurement" "generated" "real" "target" "result"
  local g r gt rt
  cell() {  # cell OURS FLOOR: "3.30x (0.25 / 0.076)"
    printf '%sx (%s / %s)' "$(ratio "$(med "$1" 1)" "$(med "$2" 1)")" "$(med "$1" 1)" "$(med "$2" 1)"
  }
  both() {  # both GEN_RATIO REAL_RATIO LIMIT
    if le "$1" "$3" && le "$2" "$3"; then echo PASS; else echo FAIL; fi
  }
  if [[ -s $FAST/times.replace ]]; then
    g=$(cell replace cp) gt=$(ratio "$(med replace 1)" "$(med cp 1)")
  else
    g=- gt=0
  fi
  r=$(cell real_replace real_cp) rt=$(ratio "$(med real_replace 1)" "$(med real_cp 1)")
  # shellcheck disable=SC2059
  printf "$row" "replace vs cp -a, on disk" "$g" "$r" "<= 2x" "$(both "$gt" "$rt" 2)"
  if [[ -s $FAST/times.replace1 ]]; then g=$(cell replace1 cp); else g=-; fi
  # shellcheck disable=SC2059
  printf "$row" "  the same with -j 1 (information)" "$g" "$(cell real_replace1 real_cp)" "-" "-"
  if ((REAL_SHM_DONE)); then
    if [[ -s $FAST/times.shm_replace ]]; then
      g=$(cell shm_replace shm_cp) gt=$(ratio "$(med shm_replace 1)" "$(med shm_cp 1)")
    else
      g=- gt=0
    fi
    r=$(cell real_shm_replace real_shm_cp)
    rt=$(ratio "$(med real_shm_replace 1)" "$(med real_shm_cp 1)")
    # shellcheck disable=SC2059
    printf "$row" "replace vs cp -a, on tmpfs" "$g" "$r" "<= 2x" "$(both "$gt" "$rt" 2)"
  else
    # shellcheck disable=SC2059
    printf "$row" "replace vs cp -a, on tmpfs" "-" "-" "<= 2x" "not measured: no tmpfs with room"
  fi
  local gm rm_
  gm=$(real_micro BM_ParseWriteObjects)
  rm_=$(real_micro BM_ParseWriteObjectsReal)
  # shellcheck disable=SC2059
  printf "$row" "form objects parsed + written (MiB/s)" "${gm:--}" "${rm_:--}" ">= 54M/s" \
    "$(both "-$(real_mbps "$gm")" "-$(real_mbps "$rm_")" -54)"
  echo
  if ((REAL_TEN_DONE)); then
    local one
    one=$(med real_replace 1)
    echo "Real-shaped project x10: $REAL_TEN_SUMMARY; $REAL_TEN_FILES files, $(mb $((REAL_TEN_BYTES / 1024))), on disk;"
    echo "  two runs each, in the order -j 2, -j 1, -j 1, -j 2: -j 2 $REAL_TEN_RUNS2 s, -j 1 $REAL_TEN_RUNS1 s; means below."
    # shellcheck disable=SC2059
    printf "$row" "x10 replace (-j 2) vs the 1x run" "$REAL_TEN_T2 s ($(awk -v u="$REAL_TEN_U2" -v s="$REAL_TEN_S2" 'BEGIN {print u + s}'))" \
      "$one s" "<= 11x" "$(ratio "$REAL_TEN_T2" "$one")x $(pass le "$(ratio "$REAL_TEN_T2" "$one")" 11)"
    # shellcheck disable=SC2059
    printf "$row" "x10 peak memory (-j 2 / -j 1)" "$(mb "$REAL_TEN_M2")" "$(mb "$REAL_TEN_M1")" "< 100 MB" \
      "$(pass test "$REAL_TEN_M2" -lt 102400 -a "$REAL_TEN_M1" -lt 102400)"
    local speedup
    speedup=$(ratio "$REAL_TEN_T1" "$REAL_TEN_T2")
    # shellcheck disable=SC2059
    printf "$row" "x10 -j 2 vs -j 1" "$REAL_TEN_T2 s" "$REAL_TEN_T1 s ($(awk -v u="$REAL_TEN_U1" -v s="$REAL_TEN_S1" 'BEGIN {print u + s}'))" \
      ">= 1.6x" "${speedup}x $(pass ge "$speedup" 1.6)"
  else
    echo "Real-shaped project x10: not run (BENCH_TENFOLD=0 or no /usr/bin/time)."
  fi
  echo
  echo "Outputs byte for byte (bench/results/real-shape.sha256; -j 1 against -j 2):"
  # shellcheck disable=SC2059
  printf "$row" "1x against the list" "${REAL_COMPARED[1x]:-0} files" "" "all same" \
    "$(pass test -z "${REAL_FAILED[1x]:-}")"
  if ((REAL_TEN_DONE)); then
    # shellcheck disable=SC2059
    printf "$row" "x10 against the list (its 1x units)" "${REAL_COMPARED[10x]:-0} files" "" "all same" \
      "$(pass test -z "${REAL_FAILED[10x]:-}")"
  fi
  if [[ -n $REAL_MISMATCH ]]; then echo "MISMATCH: $REAL_MISMATCH"; fi
}

real_shape_status() {
  [[ -z $REAL_MISMATCH ]] && return 0
  say ""
  say "bench: RESULTS CHANGED: $REAL_MISMATCH"
  say "bench: the differing files are listed in $REAL_WORK/sums.*.diff. If the change is"
  say "bench: intended, rewrite the list: BENCH_UPDATE_SUMS=1 bench/run.sh (and commit it)."
  return 1
}
