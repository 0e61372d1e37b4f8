# Shared by the batch benches: a work folder removed on exit, the program's data
# folder inside it, and small helpers. Source it after setting WORK_PREFIX.
WORK=$(mktemp -d "/tmp/${WORK_PREFIX}.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
export QZ_APPDATA
QZ_APPDATA=$(winepath -w "$WORK/appdata")
mkdir -p "$WORK/appdata"

hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
now() { date +%s.%N; }
# The median, least and greatest of the blank-separated numbers in $1, to two places.
stats() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{a[NR]=$1} END {printf "%.2f %.2f %.2f", a[int((NR+1)/2)], a[1], a[NR]}'; }
elapsed() { python3 -c "import sys; print('%.3f' % (float(sys.argv[2]) - float(sys.argv[1])))" "$1" "$2"; }
