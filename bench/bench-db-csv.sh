#!/usr/bin/env bash
# Data record database to CSV: `norvale --to csv FILE` (format 0) and
# `norvale --to csv FILE --format 4` against the sqlite3 shell reading the
# same buffer, in the same run, and the one-record file for the empty start.
# Goal: at most 1.2x sqlite3's median; peak memory at most 160 MB above the
# empty start for a million rows, 1.7 GB for ten.
#   bench/bench-db-csv.sh [--build DIR] [--runs N] [--records N] [--data DIR]
set -u
. "$(dirname "$0")/bench-lib.sh"
bench_parse_args "$@"

SQLITE=$(command -v sqlite3) || { echo "needs the sqlite3 shell (Debian package sqlite3)" >&2; exit 2; }
# Only Buffer1 is read; the other tables exist and are empty.
FILE=$DATA_DIR/buffer-$RECORDS.db
bench_make_file data-db "$FILE" --records 0 --buffers "1:$RECORDS" --seed 1
EMPTY=$DATA_DIR/buffer-1.db
bench_empty_file data-db "$EMPTY" --records 0 --buffers 1:1 --seed 1
echo "file: $FILE ($(stat -c %s "$FILE") bytes)"

# sqlite3 takes the query as one argument; a wrapper keeps it a single word.
cat >"$BENCH_TMP/sqlite3-buffer1" <<WRAP
#!/bin/sh
exec "$SQLITE" -csv "\$1" "select * from Buffer1"
WRAP
chmod +x "$BENCH_TMP/sqlite3-buffer1"

status=0
if bench_have_norvale; then
    lines=$("$NORVALE" --to csv "$FILE" 2>"$BENCH_TMP/norvale.err" | wc -l)
    if [ "$lines" -ne $((RECORDS + 1)) ]; then
        echo "warning: norvale wrote $lines lines, expected $((RECORDS + 1)):" \
            "$(head -c 300 "$BENCH_TMP/norvale.err")"
        status=1
    fi
    bench_compare "sqlite3 -csv" "$BENCH_TMP/sqlite3-buffer1 $FILE" \
        "norvale --to csv" "$NORVALE --to csv $FILE" \
        "norvale --to csv --format 4" "$NORVALE --to csv $FILE --format 4" \
        "norvale, one record" "$NORVALE --to csv $EMPTY"
else
    bench_compare "sqlite3 -csv" "$BENCH_TMP/sqlite3-buffer1 $FILE"
fi
exit $status
