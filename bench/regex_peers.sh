#!/usr/bin/env bash
# The regular-expression mode side by side with what a user would pick instead:
# the real program's batch mode (one hex job, -RE1 -G0 -C, under wine) against
# `sed -E -i` and `perl -pi` on one text file with numbers and needles in it. Every
# contender rewrites a fresh copy of the same file; all must write identical bytes
# before any time counts. Runs are interleaved (the order turns from run to run);
# each row gives the median with min and max, and the peers' medians over the
# program's. The program's start-up row (a file of a few bytes) is its fixed cost.
# Usage: bench/regex_peers.sh [MiB, default 256] [runs, default 5]
# Needs the program built (./qz build) and twm: wine waits around minimising windows
# on a display without a window manager, and that wait is no work of the program.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${QZ_BUILD:-$ROOT/build}"
EXE="$BUILD/QzSearchAndReplace.exe"
MIB="${1:-256}"
RUNS="${2:-5}"
export WINEDEBUG=-all WINEARCH=win32
export WINEPREFIX="${WINEPREFIX:-$ROOT/.deps/wineprefix}"

[ -f "$EXE" ] || { echo "build the program first: ./qz build" >&2; exit 1; }
command -v twm >/dev/null || { echo "needs twm (apt-get install twm)" >&2; exit 1; }

work="$BUILD/bench-regex-peers"
rm -rf "$work" && mkdir -p "$work/appdata"
twm_pid=
cleanup() {
  [ -n "$twm_pid" ] && kill "$twm_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

DISPLAY="$("$ROOT/qz" display)"
export DISPLAY
# Under "./qz bench" twm runs already (QZ_TWM).
if [ -z "${QZ_TWM:-}" ]; then
  printf 'RandomPlacement\nUsePPosition "on"\nNoTitle\nTitleFont "fixed"\nResizeFont "fixed"\nMenuFont "fixed"\nIconFont "fixed"\nIconManagerFont "fixed"\n' >"$work/twmrc"
  twm -display "$DISPLAY" -f "$work/twmrc" </dev/null >/dev/null 2>&1 &
  twm_pid=$!
  sleep 1
  kill -0 "$twm_pid" 2>/dev/null || echo "note: twm did not stay (another window manager on $DISPLAY?)" >&2
fi
export QZ_APPDATA="$(winepath -w "$work/appdata")"
wineserver -p30 </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

# Text lines of common words, with numbers (about 3 % of the words) and needles
# (about 3 %, some spelt with more e's); one 1 MiB block repeated.
base="$work/base.txt"
perl -e '
  srand(7);
  my @w = qw(the of and to in is was that for on with as by at from his her an which or be are this
             had not but have they were one all their there been has when who will more no if out so
             said what up its about into than them can only other new some could time these two may);
  my ($block, $line) = ("", "");
  while (length($block) < (1 << 20)) {
    my $r = rand();
    my $t = $r < 0.03 ? int(rand(10 ** (1 + int(rand(5)))))
          : $r < 0.05 ? "needle" : $r < 0.056 ? "neeedles" : $w[int(rand(@w))];
    $line .= ($line eq "" ? "" : " ") . $t;
    if (length($line) > 60 + int(rand(20))) { $block .= "$line\n"; $line = ""; }
  }
  print $block x $ARGV[0];' "$MIB" >"$base"
tiny="$work/tiny.txt"
printf 'a needle 1\n' >"$tiny"

file="$work/t.txt"
winfile="$(winepath -w "$file")"

hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n' | tr a-f A-F; }
now() { date +%s%N; }

# One contender on the work file: prog MODE EXPR TEMPLATE | sed SCRIPT | perl SCRIPT.
run() {
  case "$1" in
    prog) wine "$EXE" "-F$winfile" "-OH$(hex "$3")" "-NH$(hex "$4")" "$2" -G0 -C </dev/null >/dev/null 2>&1 ;;
    sed) sed -E -i "$2" "$file" ;;
    perl) perl -pi -e "$2" "$file" ;;
  esac
  # The program writes its output to the disk before it renames; so do the peers.
  if [ "$1" != prog ]; then sync "$file"; fi
}

# Median, min and max of the seconds given.
stats() { printf '%s\n' "$@" | sort -g | awk '{ t[NR] = $1 } END { printf "%.2f %.2f %.2f", t[int((NR + 1) / 2)], t[1], t[NR] }'; }

# row NAME INPUT MODE EXPR TEMPLATE SED PERL
row() {
  local name=$1 input=$2 mode=$3 expr=$4 tpl=$5 sedScript=$6 perlScript=$7
  local who=(prog sed perl) args i k r t0 t1
  declare -A times=()
  local ref="$work/ref.txt"
  cp "$input" "$file" && run sed "$sedScript" && mv "$file" "$ref"
  for k in prog perl; do
    cp "$input" "$file"
    if [ $k = prog ]; then run prog "$mode" "$expr" "$tpl"; else run perl "$perlScript"; fi
    cmp -s "$file" "$ref" || { echo "$name: $k wrote other bytes than sed" >&2; exit 1; }
  done
  cmp -s "$input" "$ref" && { echo "$name: nothing was replaced" >&2; exit 1; }
  for ((r = 0; r < RUNS; r++)); do
    for ((i = 0; i < 3; i++)); do
      k=${who[(i + r) % 3]}
      cp "$input" "$file" && sync "$file"
      case $k in prog) args=("$mode" "$expr" "$tpl") ;; sed) args=("$sedScript") ;; perl) args=("$perlScript") ;; esac
      t0=$(now)
      run "$k" "${args[@]}"
      t1=$(now)
      cmp -s "$file" "$ref" || { echo "$name: $k wrote other bytes in run $r" >&2; exit 1; }
      times[$k]+="$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", (b - a) / 1e9 }') "
    done
  done
  local p s q
  read -r -a p <<<"$(stats ${times[prog]})"
  read -r -a s <<<"$(stats ${times[sed]})"
  read -r -a q <<<"$(stats ${times[perl]})"
  printf '%-24s %6s (%s-%s) %6s (%s-%s) %6s (%s-%s) %6.2f %6.2f\n' "$name" "${p[0]}" "${p[1]}" "${p[2]}" \
    "${s[0]}" "${s[1]}" "${s[2]}" "${q[0]}" "${q[1]}" "${q[2]}" \
    "$(awk -v a="${s[0]}" -v b="${p[0]}" 'BEGIN { print a / b }')" \
    "$(awk -v a="${q[0]}" -v b="${p[0]}" 'BEGIN { print a / b }')"
}

echo "file $(($(stat -c %s "$base") >> 20)) MiB, $RUNS runs each, interleaved; seconds: median (min-max); peers with sync"
printf '%-24s %-20s %-20s %-20s %6s %6s\n' "expression -> template" "program" "sed -E -i" "perl -pi" "sed/p" "perl/p"
row 'start-up, 11 bytes' "$tiny" -RE1 '[0-9]+' '#' 's/[0-9]+/#/g' 's/[0-9]+/#/g'
row '[0-9]+ -> #' "$base" -RE1 '[0-9]+' '#' 's/[0-9]+/#/g' 's/[0-9]+/#/g'
row 'ne+dle -> pin' "$base" -RE1 'ne+dle' 'pin' 's/ne+dle/pin/g' 's/ne+dle/pin/g'
row '(ne+)dle -> $1DLE' "$base" -RE1 '(ne+)dle' '$1DLE' 's/(ne+)dle/\1DLE/g' 's/(ne+)dle/$1DLE/g'
row 'literal needle -> pin' "$base" -CS1 'needle' 'pin' 's/needle/pin/g' 's/needle/pin/g'
