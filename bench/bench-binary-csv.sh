#!/usr/bin/env bash
# Binary data file to CSV: `norvale --to csv FILE` against the plain C
# decoder bin2csv on the same file, in the same run.
#   bench/bench-binary-csv.sh [--build DIR] [--runs N] [--records N] [--data DIR]
# Goal: norvale's median at most bin2csv's; peak memory at most 64 MB above
# the empty start (the one-record file) for a million records, 700 MB for ten.
set -u
. "$(dirname "$0")/bench-lib.sh"
bench_parse_args "$@"

FILE=$DATA_DIR/data-$RECORDS.bin
REFERENCE=$BUILD_DIR/bin2csv
[ -x "$REFERENCE" ] || { echo "missing $REFERENCE (build target bin2csv)" >&2; exit 2; }
bench_make_file data-bin "$FILE" --records "$RECORDS" --seed 1
EMPTY=$DATA_DIR/data-1.bin
bench_empty_file data-bin "$EMPTY" --records 1 --seed 1
echo "file: $FILE ($(stat -c %s "$FILE") bytes)"

status=0
if bench_have_norvale; then
    # Timing output that differs would compare nothing.
    "$REFERENCE" "$FILE" >"$BENCH_TMP/reference.csv"
    "$NORVALE" --to csv "$FILE" >"$BENCH_TMP/norvale.csv" 2>"$BENCH_TMP/norvale.err"
    rc=$?
    if [ $rc -ne 0 ]; then
        echo "warning: norvale exited with $rc: $(head -c 300 "$BENCH_TMP/norvale.err")"
        status=1
    fi
    if cmp -s "$BENCH_TMP/reference.csv" "$BENCH_TMP/norvale.csv"; then
        echo "output: identical CSV ($(wc -l <"$BENCH_TMP/reference.csv") lines)"
    else
        echo "warning: the CSV of norvale differs from bin2csv's:"
        cmp "$BENCH_TMP/reference.csv" "$BENCH_TMP/norvale.csv" | head -n 1
        status=1
    fi
    rm -f "$BENCH_TMP"/*.csv
    bench_compare bin2csv "$REFERENCE $FILE" "norvale --to csv" "$NORVALE --to csv $FILE" \
        "norvale, one record" "$NORVALE --to csv $EMPTY"
else
    bench_compare bin2csv "$REFERENCE $FILE"
fi
exit $status
