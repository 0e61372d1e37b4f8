#!/usr/bin/env bash
# Many files at once: one batch run of the program against the floor (bench/floor.cpp:
# the program's steps done serially by the least Win32 program, under the same wine)
# and against the peers a user would pick (find -exec sed -i / perl -pi, each followed
# by a sync of the files it wrote, since the program flushes every file it rewrites).
# Rows: N files of 4 KiB in one folder, half of them matching (-F dir\*.txt), for each
# N given; a copy of a real source tree (-R, "int" -> "INT"; its symbolic links are
# removed from the copy, so nobody writes through them); a scan of a large tree (the
# program's scan thread against the floor's walk and find). The contenders run
# interleaved, every run on a fresh copy of the same files; all output trees must be
# byte for byte the same before a time counts. Prints medians with min and max, and
# each contender's time over the first's (above 1: the first is faster).
# Usage (by "./qz bench files", with the display and wine prefix set):
#   many_files.sh BUILD_DIR [runs, default 3] [folder sizes, default "2000 20000"; "-" for none]
#     [source tree, default /usr/include; "-" for none] [scan files, default 50000; 0 for none]
set -euo pipefail

BUILD=$1
RUNS=${2:-3}
SIZES=${3:-2000 20000}
[ "$SIZES" = - ] && SIZES=""
TREE=${4:-/usr/include}
SCAN_FILES=${5:-50000}
PROGRAM="$BUILD/QzSearchAndReplace.exe"
FLOOR="$BUILD/bench/qz_floor.exe"

WORK_PREFIX=qz_many
. "$(dirname "$0")/common.sh"

# N files of 4 KiB of words, every second one holding "needle" a few times.
make_flat() {
  python3 - "$1" "$2" <<'PY'
import os, random, sys
flat, n = sys.argv[1], int(sys.argv[2])
rnd = random.Random(7)
words = ["alpha", "brown", "fox", "jumps", "over", "lazy", "dog", "noodle", "needs", "nee", "dle"]
os.makedirs(flat)
for i in range(n):
    out, size = [], 0
    while size < 4096:
        w = "needle" if i % 2 == 0 and rnd.random() < 0.01 else rnd.choice(words)
        out.append(w)
        size += len(w) + 1
    data = (" ".join(out))[:4096].encode()
    if i % 2 == 0 and b"needle" not in data:
        data = b"needle" + data[6:]
    with open(os.path.join(flat, "f%05d.txt" % i), "wb") as f:
        f.write(data)
PY
}

# N empty files in 100 folders.
make_scan() {
  python3 - "$1" "$2" <<'PY'
import os, sys
root, n = sys.argv[1], int(sys.argv[2])
for i in range(n):
    d = os.path.join(root, "d%03d" % (i % 100))
    if i < 100: os.makedirs(d)
    open(os.path.join(d, "f%06d.txt" % i), "w").close()
PY
}

# Each contender: a name and the command run on folder $dir (old $OLD, new $NEW, recursive $REC).
run_program() {
  local option=-F
  [ "$REC" = 1 ] && option=-R
  wine "$PROGRAM" "$option$(winepath -w "$dir")\\$MASK" "-Oh$(hex "$OLD")" "-Nh$(hex "$NEW")" -G -C
}
run_floor() { wine "$FLOOR" "$(winepath -w "$dir")" "$MASK" "$OLD" "$NEW" $([ "$REC" = 1 ] && echo -r) "$@"; }
run_floor_noflush() { run_floor -noflush; }
run_floor_list() { run_floor -list; }
# The program's scan thread alone (as the main window runs it), from start to exit.
run_scan() { wine "$BUILD/bench/qz_bench.exe" scan "$(winepath -w "$dir")" "$MASK"; }
depth() { [ "$REC" = 1 ] || echo "-maxdepth 1"; }
run_sed() {
  # shellcheck disable=SC2046
  find "$dir" $(depth) -type f -name "$MASK" -exec sed -i "s/$OLD/$NEW/g" {} +
  find "$dir" $(depth) -type f -name "$MASK" -exec sync {} +
}
run_perl() {
  # shellcheck disable=SC2046
  find "$dir" $(depth) -type f -name "$MASK" -exec perl -pi -e "s/$OLD/$NEW/g" {} +
  find "$dir" $(depth) -type f -name "$MASK" -exec sync {} +
}
run_find() {
  # shellcheck disable=SC2046
  find "$dir" $(depth) -type f -name "$MASK" | wc -l
}

# compare LABEL SRC CONTENDERS...: every contender RUNS times on fresh copies, interleaved;
# contenders that write (not find, scan, floor_list) must leave the same bytes as the first.
compare() {
  local label=$1 src=$2
  shift 2
  local -A times=()
  local c r first=$1
  for r in $(seq "$RUNS"); do
    for c in "$@"; do
      dir="$WORK/run-$c"
      rm -rf "$dir"
      cp -r "$src" "$dir"
      sync
      local t0 t1
      t0=$(now)
      "run_$c" >/dev/null 2>&1
      t1=$(now)
      times[$c]+="$(elapsed "$t0" "$t1") "
    done
    for c in "$@"; do
      case $c in "$first" | find | scan | floor_list) continue ;; esac
      diff -r "$WORK/run-$first" "$WORK/run-$c" >/dev/null || {
        echo "$label: $c wrote other bytes than $first (run $r)" >&2
        diff -rq "$WORK/run-$first" "$WORK/run-$c" | head -5 >&2
        exit 1
      }
    done
  done
  local m lo hi pm line
  read -r pm lo hi <<<"$(stats "${times[$first]}")"
  line=$(printf '%-34s' "$label")
  for c in "$@"; do
    read -r m lo hi <<<"$(stats "${times[$c]}")"
    line+=$(printf '  %s %.2f (%.2f-%.2f)' "$c" "$m" "$lo" "$hi")
    [ "$c" = "$first" ] || line+=$(python3 -c "print(' [%.2f]' % ($m / $pm))")
  done
  echo "$line"
  for c in "$@"; do rm -rf "$WORK/run-$c"; done
}

printf 'seconds, median (min-max) of %s interleaved runs; [contender / program]: above 1, the program is faster\n' "$RUNS"
OLD=needle NEW=pin MASK='*.txt' REC=0
for n in $SIZES; do
  make_flat "$WORK/flat$n" "$n"
  sync
  compare "$n files, one folder, half match" "$WORK/flat$n" program floor floor_noflush sed
  rm -rf "$WORK/flat$n"
done

if [ "$TREE" != - ] && [ -d "$TREE" ]; then
  cp -r "$TREE" "$WORK/tree"
  find "$WORK/tree" -type l -delete
  OLD=int NEW=INT MASK='*' REC=1
  compare "$(basename "$TREE") ($(find "$WORK/tree" -type f | wc -l) files), -R" "$WORK/tree" program floor perl
  rm -rf "$WORK/tree"
fi

if [ "$SCAN_FILES" -gt 0 ]; then
  make_scan "$WORK/scan" "$SCAN_FILES"
  OLD=needle NEW=pin MASK='*.txt' REC=1
  compare "scan of $SCAN_FILES files in 100 folders" "$WORK/scan" scan floor_list find
fi
