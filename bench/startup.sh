#!/usr/bin/env bash
# The fixed cost of a batch run: the program replacing in one 8-byte file, from
# start to exit, against a minimal Win32 program that opens a window and closes
# it, and against wine's own start (the same program without a window). Then a
# start without parameters (bench/window_start.cpp): until the main window shows
# its controls, until the program first waits for input, until its guide lines
# are drawn, and its end after the window is closed. twm runs
# on the display meanwhile, since wine waits around minimising without a window
# manager. The contenders take turns; every program run must have written the
# expected bytes before its time counts. QZ_BASELINE may name a folder with
# another build of the program (QzSearchAndReplace.exe and its library), which
# then runs as one more contender.
# Usage: bench/startup.sh [runs, default 7]; needs the program built (./qz build).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QZ_BUILD:-$ROOT/build}"
runs=${1:-7}
export WINEDEBUG=-all WINEARCH=win32
export WINEPREFIX="${WINEPREFIX:-$ROOT/.deps/wineprefix}"
[ -f "$build/QzSearchAndReplace.exe" ] && [ -f "$build/bench/qz_minimal_window.exe" ] &&
  [ -f "$build/bench/qz_window_start.exe" ] ||
  { echo "build the program first: ./qz build" >&2; exit 1; }
command -v twm >/dev/null || { echo "needs twm (./qz setup installs it)" >&2; exit 1; }
DISPLAY="$("$ROOT/qz" display)"
export DISPLAY

work=$(mktemp -d /tmp/qz-startup.XXXXXX)
twm_pid=
cleanup() {
  [ -n "$twm_pid" ] && kill "$twm_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Under "./qz bench" twm runs already (QZ_TWM).
if [ -z "${QZ_TWM:-}" ]; then
  printf 'RandomPlacement\nUsePPosition "on"\nNoTitle\nTitleFont "fixed"\nResizeFont "fixed"\nMenuFont "fixed"\nIconFont "fixed"\nIconManagerFont "fixed"\n' >"$work/twmrc"
  twm -display "$DISPLAY" -f "$work/twmrc" >/dev/null 2>&1 &
  twm_pid=$!
  sleep 1
  kill -0 "$twm_pid" 2>/dev/null || { echo "twm did not start on $DISPLAY (another window manager there?)" >&2; twm_pid=; }
fi

# Each program runs from a folder of its own, as installed, with a data folder of its own.
declare -A data_win
install_build() {
  mkdir -p "$work/$2" "$work/$2-data"
  cp "$1/QzSearchAndReplace.exe" "$1/Qz-DarariRuzoriv.dll" "$work/$2/"
  data_win[$2]=$(winepath -w "$work/$2-data")
}
install_build "$build" prog
contenders="bare minimal program"
windows="window"
if [ -n "${QZ_BASELINE:-}" ]; then
  install_build "$QZ_BASELINE" baseline
  contenders="$contenders baseline"
  windows="$windows window_baseline"
fi
mkdir -p "$work/files"
file_win=$(winepath -w "$work/files/a.txt")
wineserver -p60 2>/dev/null || true   # an already running server keeps running

now() { date +%s%N; }
declare -A times
run_minimal() { wine "$build/bench/qz_minimal_window.exe"; }
run_bare() { wine "$build/bench/qz_minimal_window.exe" none; }
batch_run() {
  printf 'ABxxABxx' >"$work/files/a.txt"
  QZ_APPDATA=${data_win[$1]} wine "$work/$1/QzSearchAndReplace.exe" "-F$file_win" -Oh4142 -Nh4344 -C
}
run_program() { batch_run prog; }
run_baseline() { batch_run baseline; }
window_start() { wine "$build/bench/qz_window_start.exe" "$(winepath -w "$work/$1/QzSearchAndReplace.exe")" "${data_win[$1]}"; }
run_window() { window_start prog; }
run_window_baseline() { window_start baseline; }
check() {
  [ "$(cat "$work/files/a.txt")" = "CDxxCDxx" ] || { echo "$1 did not write the expected bytes" >&2; exit 1; }
}

# One warm-up round: the first program run also puts the help file beside the program.
for c in $contenders; do
  "run_$c" >/dev/null 2>&1
  case $c in program | baseline) check "$c" ;; esac
done
for c in $windows; do "run_$c" >/dev/null 2>&1 || true; done
for ((r = 0; r < runs; r++)); do
  for c in $contenders; do
    t0=$(now)
    "run_$c" >/dev/null 2>&1
    t1=$(now)
    case $c in program | baseline) check "$c" ;; esac
    times[$c]+="$(( (t1 - t0) / 1000000 )) "
  done
  for c in $windows; do
    out=$("run_$c" 2>/dev/null) || { echo "$c: the windowed start failed" >&2; exit 1; }
    read -r _ w _ i _ g _ e <<<"$out"
    times[$c.shown]+="$w " times[$c.idle]+="$i " times[$c.guides]+="$g " times[$c.end]+="$e "
  done
done

stats() { tr ' ' '\n' | grep . | sort -n | awk '{v[NR]=$1} END {m = (NR % 2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2; printf "%d %d %d\n", m, v[1], v[NR]}'; }
printf '%-40s %10s %8s %8s\n' "start to exit, $runs runs (ms)" median min max
declare -A median
for c in $contenders; do
  read -r m lo hi < <(printf '%s' "${times[$c]}" | stats)
  median[$c]=$m
  case $c in
    bare) label="wine's own start (no window)" ;;
    minimal) label="minimal Win32 window program" ;;
    program) label="batch run on one 8-byte file" ;;
    baseline) label="the same, baseline build" ;;
  esac
  printf '%-40s %10d %8d %8d\n' "$label" "$m" "$lo" "$hi"
done
awk -v p="${median[program]}" -v m="${median[minimal]}" 'BEGIN {printf "program / minimal window (medians): %.2f\n", p / m}'
printf '%-40s %10s %8s %8s\n' "start without parameters (ms)" median min max
for c in $windows; do
  for part in shown idle guides end; do
    read -r m lo hi < <(printf '%s' "${times[$c.$part]}" | stats)
    case $part in
      shown) label="main window with its controls" ;;
      idle) label="first wait for input" ;;
      guides) label="guide lines drawn" ;;
      end) label="end after the close" ;;
    esac
    [ "$c" = window_baseline ] && label="$label, baseline"
    printf '%-40s %10d %8d %8d\n' "$label" "$m" "$lo" "$hi"
  done
done
