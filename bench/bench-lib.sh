# Shared by the bench-*.sh scripts: options, data files, timing and peak
# memory. Source it; it uses bash arrays.
#
# Every command is run RUNS times, interleaved (A B C A B C ...) so that the
# load of a shared machine falls on all of them alike, after one untimed warm
# run each (the data file is then in the page cache). Wall time is taken
# around the process; peak memory is its maximum resident set size.

BENCH_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$BENCH_ROOT/build}
RUNS=${RUNS:-5}
RECORDS=${RECORDS:-1000000}
DATA_DIR=${DATA_DIR:-}

bench_usage() {
    cat >&2 <<EOF
usage: $(basename "$0") [--build DIR] [--runs N] [--records N] [--data DIR]
  --build DIR    build folder with norvale, bin2csv, tools/make-sample-logs
                 (default: $BENCH_ROOT/build)
  --runs N       timed runs of each command (default 5)
  --records N    records in the generated file (default 1000000)
  --data DIR     where the generated file is kept (default: BUILD/bench-data)
The same settings may be given as BUILD_DIR, RUNS, RECORDS, DATA_DIR.
EOF
    exit 2
}

bench_parse_args() {
    while [ $# -gt 0 ]; do
        case "$1" in
        --build) BUILD_DIR=${2:?}; shift 2 ;;
        --runs) RUNS=${2:?}; shift 2 ;;
        --records) RECORDS=${2:?}; shift 2 ;;
        --data) DATA_DIR=${2:?}; shift 2 ;;
        -h | --help) bench_usage ;;
        *) echo "$(basename "$0"): unknown argument '$1'" >&2; bench_usage ;;
        esac
    done
    case "$RUNS" in '' | *[!0-9]* | 0) echo "--runs must be a positive number" >&2; exit 2 ;; esac
    case "$RECORDS" in '' | *[!0-9]*) echo "--records must be a number" >&2; exit 2 ;; esac
    BUILD_DIR=$(cd "$BUILD_DIR" 2>/dev/null && pwd) || {
        echo "no build folder; build first (cmake -S . -B build -DNORVALE_BENCH=ON)" >&2
        exit 2
    }
    DATA_DIR=${DATA_DIR:-$BUILD_DIR/bench-data}
    mkdir -p "$DATA_DIR"
    SAMPLE_TOOL=$BUILD_DIR/tools/make-sample-logs
    NORVALE=$BUILD_DIR/norvale
    [ -x "$SAMPLE_TOOL" ] || { echo "missing $SAMPLE_TOOL (build target make-sample-logs)" >&2; exit 2; }
    BENCH_TMP=$(mktemp -d)
    trap 'rm -rf "$BENCH_TMP"' EXIT
}

# bench_make_file KIND FILE [extra options...]: generates FILE once; a file
# left by an interrupted run is never reused, since the tool renames into place.
bench_make_file() {
    local kind=$1 file=$2
    shift 2
    if [ ! -s "$file" ]; then
        echo "making $file ($RECORDS records)"
        "$SAMPLE_TOOL" "$kind" "$file" "$@" || exit 1
    fi
}

# How peak memory is read: /usr/bin/time, else Python's getrusage of the
# child, else not at all. BENCH_MEMORY=time|python|none picks one.
if [ -n "${BENCH_MEMORY:-}" ]; then
    :
elif [ -x /usr/bin/time ]; then
    BENCH_MEMORY=time
elif command -v python3 >/dev/null 2>&1; then
    BENCH_MEMORY=python
else
    BENCH_MEMORY=none
fi

# bench_time_once CMD...: runs CMD with stdout to /dev/null, sets BENCH_MS
# (wall time in ms), BENCH_KB (peak RSS in KiB, or "n/a") and BENCH_RC.
bench_time_once() {
    local start end
    case "$BENCH_MEMORY" in
    time)
        start=$(date +%s%N)
        /usr/bin/time -f %M -o "$BENCH_TMP/mem" "$@" >/dev/null 2>"$BENCH_TMP/err"
        BENCH_RC=$?
        end=$(date +%s%N)
        BENCH_MS=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')
        BENCH_KB=$(tail -n 1 "$BENCH_TMP/mem")
        ;;
    python)
        # Times inside Python, so the interpreter's start-up is not counted.
        # Linux keeps a process's peak across exec, so the figure includes
        # the forked interpreter (~10 MiB): an upper bound.
        read -r BENCH_MS BENCH_KB BENCH_RC < <(python3 - "$@" 2>"$BENCH_TMP/err" <<'EOF'
import resource, subprocess, sys, time
start = time.monotonic()
rc = subprocess.call(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
ms = (time.monotonic() - start) * 1000
print("%.1f %d %d" % (ms, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss, rc))
EOF
)
        ;;
    *)
        start=$(date +%s%N)
        "$@" >/dev/null 2>"$BENCH_TMP/err"
        BENCH_RC=$?
        end=$(date +%s%N)
        BENCH_MS=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')
        BENCH_KB=n/a
        ;;
    esac
}

# Reads numbers, one per line; prints "min median max".
bench_stats() {
    sort -g | awk '{ v[NR] = $1 }
        END {
            if (NR == 0) { print "n/a n/a n/a"; exit }
            m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%.1f %.1f %.1f\n", v[1], m, v[NR]
        }'
}

# bench_compare NAME1 "CMD1" NAME2 "CMD2" ...: the first command is the
# reference. Commands are strings, split on blanks (paths without blanks).
# Prints a table of min/median/max wall time, the median ratio against the
# reference and the median peak memory.
bench_compare() {
    local -a names=() cmds=()
    while [ $# -gt 0 ]; do
        names+=("$1")
        cmds+=("$2")
        shift 2
    done
    local i run
    if command -v hyperfine >/dev/null 2>&1; then
        local -a hf=(hyperfine --style basic --warmup 1 --runs "$RUNS" --export-json "$BENCH_TMP/hf.json")
        for i in "${!cmds[@]}"; do hf+=(-n "${names[$i]}" "${cmds[$i]}"); done
        "${hf[@]}"
    fi
    for i in "${!cmds[@]}"; do
        : >"$BENCH_TMP/ms.$i"
        : >"$BENCH_TMP/kb.$i"
        # shellcheck disable=SC2086
        bench_time_once ${cmds[$i]}
        if [ "$BENCH_RC" -ne 0 ]; then
            echo "warning: ${names[$i]} exited with $BENCH_RC: $(head -c 300 "$BENCH_TMP/err")" >&2
        fi
    done
    for run in $(seq "$RUNS"); do
        for i in "${!cmds[@]}"; do
            # shellcheck disable=SC2086
            bench_time_once ${cmds[$i]}
            echo "$BENCH_MS" >>"$BENCH_TMP/ms.$i"
            echo "$BENCH_KB" >>"$BENCH_TMP/kb.$i"
        done
        printf '.' >&2
    done
    echo >&2
    local refMedian
    printf '%-28s %10s %10s %10s %8s %12s\n' "command ($RUNS runs)" "min ms" "median ms" "max ms" \
        "ratio" "peak MiB"
    for i in "${!cmds[@]}"; do
        local min med max ratio kb mib
        read -r min med max < <(bench_stats <"$BENCH_TMP/ms.$i")
        [ "$i" -eq 0 ] && refMedian=$med
        ratio=$(awk -v a="$med" -v b="$refMedian" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }')
        kb=$(grep -E '^[0-9]+$' "$BENCH_TMP/kb.$i" | bench_stats | awk '{ print $3 }')
        mib=$(awk -v k="$kb" 'BEGIN { if (k == "n/a") print "n/a"; else printf "%.1f", k / 1024 }')
        printf '%-28s %10s %10s %10s %7sx %12s\n' "${names[$i]}" "$min" "$med" "$max" "$ratio" "$mib"
    done
    echo "peak memory: the largest maximum resident set of the runs (via $BENCH_MEMORY)"
}

# bench_empty_file KIND FILE [extra options...]: a one-record file of the
# same kind, whose run is the program's empty start: memory figures of the
# large file are read above it.
bench_empty_file() {
    local kind=$1 file=$2
    shift 2
    [ -s "$file" ] || "$SAMPLE_TOOL" "$kind" "$file" "$@" || exit 1
}

# Whether the browser is there to be measured.
bench_have_norvale() {
    if [ -x "$NORVALE" ]; then
        return 0
    fi
    echo "note: $NORVALE is not built; timing the reference only"
    return 1
}
