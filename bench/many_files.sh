#!/usr/bin/env bash
# Many small files at once: one batch run of the program against find + sed -i on
# the same files, in one folder (-F) and over subfolders (-R), and a scan of a large
# tree against find. The program flushes every file it rewrites, so sed is followed
# by a sync: once by the plain "sync" (which also waits for every other program's
# unwritten data on the machine) and once by "sync" of the files sed wrote (an
# fsync of each, like for like). The contenders run interleaved, every run on a
# fresh copy of the same files; all output trees must be byte for byte the same
# before a time counts. Prints medians with min and max.
# Usage (by "./qz bench", with the display and wine prefix set):
#   many_files.sh BUILD_DIR [files, default 2000] [runs, default 5] [scan files, default 100000]
set -euo pipefail

BUILD=$1
FILES=${2:-2000}
RUNS=${3:-5}
SCAN_FILES=${4:-100000}
PROGRAM="$BUILD/QzSearchAndReplace.exe"
BENCH="$BUILD/bench/qz_bench.exe"

WORK=$(mktemp -d /tmp/qz_many.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
export QZ_APPDATA
QZ_APPDATA=$(winepath -w "$WORK/appdata")
mkdir -p "$WORK/appdata"

hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
OLD=needle
NEW=pin

# The originals: 4 KiB files of words, every second one holding the old string a
# few times; the subfolder set holds the same files spread over 5 folders.
make_files() {
  local flat=$1 tree=$2
  mkdir -p "$flat" "$tree"
  python3 - "$flat" "$tree" "$FILES" <<'PY'
import os, random, sys
flat, tree, n = sys.argv[1], sys.argv[2], int(sys.argv[3])
rnd = random.Random(7)
words = ["alpha", "brown", "fox", "jumps", "over", "lazy", "dog", "noodle", "needs", "nee", "dle"]
for i in range(n):
    out = []
    size = 0
    while size < 4096:
        w = "needle" if i % 2 == 0 and rnd.random() < 0.01 else rnd.choice(words)
        out.append(w)
        size += len(w) + 1
    data = (" ".join(out))[:4096].encode()
    if i % 2 == 0 and b"needle" not in data:
        data = b"needle" + data[6:]
    name = "f%05d.txt" % i
    for folder in (flat, os.path.join(tree, "d%d" % (i % 5))):
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
PY
}

now() { date +%s.%N; }
elapsed() { python3 -c "import sys; print('%.3f' % (float(sys.argv[2]) - float(sys.argv[1])))" "$1" "$2"; }

# The program's batch run over a copy; prints its wall time.
run_program() {
  local dir=$1 option=$2
  local t0 t1
  t0=$(now)
  wine "$PROGRAM" "$option$(winepath -w "$dir")\\*.txt" "-Oh$(hex "$OLD")" "-Nh$(hex "$NEW")" -G -C >/dev/null 2>&1
  t1=$(now)
  elapsed "$t0" "$t1"
}

run_sed() {
  local dir=$1 recursive=$2 how=$3
  local t0 t1 depth=()
  [ "$recursive" = 1 ] || depth=(-maxdepth 1)
  t0=$(now)
  find "$dir" "${depth[@]}" -name '*.txt' -exec sed -i "s/$OLD/$NEW/g" {} +
  if [ "$how" = files ]; then find "$dir" "${depth[@]}" -name '*.txt' -exec sync {} +; else sync; fi
  t1=$(now)
  elapsed "$t0" "$t1"
}

# min median max of the numbers on stdin
stats() { sort -g | awk '{a[NR]=$1} END {printf "%.3f %.3f %.3f", a[(NR+1)/2], a[1], a[NR]}'; }

med() { tr ' ' '\n' <<<"$1" | stats; }

# label, then the program's times and each contender's; the ratios are program/contender.
row() {
  local label=$1 a=$2
  shift 2
  local am amin amax line
  read -r am amin amax <<<"$(med "$a")"
  line=$(printf '%-22s %7.3f (%.3f..%.3f)' "$label" "$am" "$amin" "$amax")
  for b in "$@"; do
    read -r bm bmin bmax <<<"$(med "$b")"
    line+=$(printf '  %7.3f (%.3f..%.3f) %5.2f' "$bm" "$bmin" "$bmax" "$(python3 -c "print(${am}/${bm})")")
  done
  echo "$line"
}

compare_pair() {
  local label=$1 src=$2 option=$3 recursive=$4
  local ours=() synced=() fsynced=()
  for r in $(seq "$RUNS"); do
    rm -rf "$WORK/a" "$WORK/b" "$WORK/c"
    for d in a b c; do cp -r "$src" "$WORK/$d"; done
    sync
    ours+=("$(run_program "$WORK/a" "$option")")
    synced+=("$(run_sed "$WORK/b" "$recursive" all)")
    fsynced+=("$(run_sed "$WORK/c" "$recursive" files)")
    for d in b c; do
      if ! diff -r "$WORK/a" "$WORK/$d" >/dev/null; then
        echo "$label: the outputs differ (run $r)" >&2
        diff -rq "$WORK/a" "$WORK/$d" | head -5 >&2
        exit 1
      fi
    done
  done
  row "$label" "${ours[*]}" "${synced[*]}" "${fsynced[*]}"
}

make_files "$WORK/flat" "$WORK/tree"
sync
printf '%s files of 4 KiB, half with matches; medians of %s runs (min..max), seconds\n' "$FILES" "$RUNS"
printf '%-22s %21s  %21s %5s  %21s %5s\n' "work" "program" "sed -i, sync" "ratio" "sed -i, sync files" "ratio"
compare_pair "-F one folder" "$WORK/flat" -F 0
compare_pair "-R 5 subfolders" "$WORK/tree" -R 1

if [ "$SCAN_FILES" -gt 0 ]; then
  # A tree of 200 folders; the mask matches every second file.
  python3 - "$WORK/scan" "$SCAN_FILES" <<'PY'
import os, sys
root, n = sys.argv[1], int(sys.argv[2])
for i in range(n):
    d = os.path.join(root, "d%03d" % (i % 200))
    if i < 200: os.makedirs(d)
    open(os.path.join(d, "f%06d.%s" % (i, "txt" if i % 2 else "dat")), "w").close()
PY
  scan_win=$(winepath -w "$WORK/scan")
  ours=() net=() theirs=() count=""
  for r in $(seq "$RUNS"); do
    t0=$(now)
    out=$(wine "$BENCH" scan "$scan_win" '*.txt' | tr -d '\r')
    t1=$(now)
    ours+=("$(elapsed "$t0" "$t1")")
    net+=("$(awk '{print $1}' <<<"$out")")
    found=$(awk '{print $2}' <<<"$out")
    t0=$(now)
    theirs_count=$(find "$WORK/scan" -name '*.txt' | wc -l)
    t1=$(now)
    theirs+=("$(elapsed "$t0" "$t1")")
    if [ "$found" != "$theirs_count" ]; then echo "scan: found $found, find $theirs_count" >&2; exit 1; fi
  done
  printf '%-22s %21s  %21s %5s\n' "" "program" "find" "ratio"
  row "scan $SCAN_FILES files" "${ours[*]}" "${theirs[*]}"
  row "scan, in the process" "${net[*]}" "${theirs[*]}"
fi
