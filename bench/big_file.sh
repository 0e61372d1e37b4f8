#!/usr/bin/env bash
# One file of several GiB in each mode (literal, ignore-case, the expression
# [0-9]+): the program's batch mode against `sed -i` on the same file. The program
# flushes the file it writes, so sed is followed by a sync of its file. Both
# contenders must write identical bytes before any time counts; then they run
# interleaved (the order turning from run to run), each run on a fresh copy of the
# same file. Each row gives the medians with min and max and the program's peak
# working set (VmHWM of its process, the largest of its runs).
# Usage (by "./qz bench big", with the display and wine prefix set):
#   big_file.sh BUILD_DIR [GiB, default 4.5] [runs, default 3]
# Needs about five times the file's size free under /tmp.
set -euo pipefail

BUILD=$1
GIB=${2:-4.5}
RUNS=${3:-3}
PROGRAM="$BUILD/QzSearchAndReplace.exe"
[ -f "$PROGRAM" ] || { echo "build the program first: ./qz build" >&2; exit 1; }

WORK_PREFIX=qz_big
. "$(dirname "$0")/common.sh"

# Text lines of common words with numbers and needles in three spellings, a 1 MiB
# block written over and over: one run of text bytes of the whole file's length.
BASE="$WORK/base.txt"
perl -e '
  srand(7);
  my @w = qw(the of and to in is was that for on with as by at from his her an which or be are this
             had not but have they were one all their there been has when who will more no if out so);
  my ($block, $line) = ("", "");
  while (length($block) < (1 << 20)) {
    my $r = rand();
    my $t = $r < 0.03 ? int(rand(10 ** (1 + int(rand(5)))))
          : $r < 0.04 ? "needle" : $r < 0.045 ? "Needle" : $r < 0.05 ? "NEEDLE" : $w[int(rand(@w))];
    $line .= ($line eq "" ? "" : " ") . $t;
    if (length($line) > 60 + int(rand(20))) { $block .= "$line\n"; $line = ""; }
  }
  my $blocks = int($ARGV[0] * 1024 + 0.5);
  open(my $out, ">", $ARGV[1]) or die;
  binmode $out;
  print $out $block for 1 .. $blocks;
  close $out or die;' "$GIB" "$BASE"
sync
FILE="$WORK/t.txt"
WINFILE=$(winepath -w "$FILE")

# The program on the work file, its peak working set in KiB left in $WORK/peak.
run_program() {
  local mode=$1 old=$2 new=$3 pid peak=0 hwm
  wine "$PROGRAM" "-F$WINFILE" "-Oh$(hex "$old")" "-Nh$(hex "$new")" "$mode" -G0 -C </dev/null >/dev/null 2>&1 &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
    if [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ]; then peak=$hwm; fi
    sleep 0.1
  done
  wait "$pid" || true
  echo "$peak" >"$WORK/peak"
}

run_sed() { sed -i "$1" "$FILE" && sync "$FILE"; }

# Times one contender on a fresh copy: prog MODE OLD NEW | sed SCRIPT.
timed() {
  local who=$1 t0 t1
  shift
  cp "$BASE" "$FILE" && sync
  t0=$(now)
  if [ "$who" = prog ]; then run_program "$@"; else run_sed "$@"; fi
  t1=$(now)
  elapsed "$t0" "$t1"
}

row() {
  local label=$1 mode=$2 old=$3 new=$4 script=$5
  local ours="" theirs="" peak=0 r pm pmin pmax sm smin smax
  # Identical bytes first.
  cp "$BASE" "$FILE" && run_program "$mode" "$old" "$new"
  mv "$FILE" "$WORK/ours.txt"
  cp "$BASE" "$FILE" && run_sed "$script"
  if ! cmp -s "$FILE" "$WORK/ours.txt"; then echo "$label: the program wrote other bytes than sed" >&2; exit 1; fi
  if cmp -s "$FILE" "$BASE"; then echo "$label: nothing was replaced" >&2; exit 1; fi
  rm -f "$FILE" "$WORK/ours.txt"
  for r in $(seq "$RUNS"); do
    if [ $((r % 2)) = 1 ]; then
      ours+="$(timed prog "$mode" "$old" "$new") "
      peak=$(( $(cat "$WORK/peak") > peak ? $(cat "$WORK/peak") : peak ))
      theirs+="$(timed sed "$script") "
    else
      theirs+="$(timed sed "$script") "
      ours+="$(timed prog "$mode" "$old" "$new") "
      peak=$(( $(cat "$WORK/peak") > peak ? $(cat "$WORK/peak") : peak ))
    fi
  done
  rm -f "$FILE"
  read -r pm pmin pmax <<<"$(stats "$ours")"
  read -r sm smin smax <<<"$(stats "$theirs")"
  printf '%-14s %6s (%s..%s)   %6s (%s..%s)   %5.2f   %6d\n' "$label" "$pm" "$pmin" "$pmax" "$sm" "$smin" "$smax" \
    "$(python3 -c "print($sm / $pm)")" "$((peak / 1024))"
}

printf 'file %s GiB (%s bytes), %s runs each, interleaved; seconds: median (min..max); load %s\n' "$GIB" \
  "$(stat -c %s "$BASE")" "$RUNS" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-14s %-22s   %-22s   %5s   %s\n' "mode" "program" "sed -i, sync" "sed/p" "peak MiB"
row "literal" -CS1 needle pin 's/needle/pin/g'
row "ignore-case" -CS0 NEEDLE pin 's/needle/pin/gI'
row "[0-9]+" -RE1 '[0-9]+' '#' 's/[0-9]\+/#/g'
printf 'load at the end %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
