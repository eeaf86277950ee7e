/* bin2csv: the reference decoder of the binary-file benchmark.
 *
 * Prints a binary data file as the browser's CSV export prints it with the
 * Chinese titles and display format 0: a title row, then one row per 32-byte
 * record (ID, date, time, ten unsigned words), every line ending in CRLF.
 * Kept deliberately plain: chunked fread, one printf per record, a large
 * stdout buffer.
 *
 * Files the browser would refuse or fail on are mirrored cheaply, so that
 * both programs can be compared on any input:
 *   - no 32-byte header block: the empty grid, exit 0;
 *   - no signature and not SQLite: the empty grid, the message on stderr,
 *     exit 1;
 *   - a read that falls short: the rows not read stay empty, exit 0.
 * SQLite files and alarm files are not this program's business (exit 2).
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define SIGNATURE "SQL:www.norvale.tech"
#define SIGNATURE_OFFSET 12
#define HEADER_SIZE 32
#define RECORD_SIZE 32
#define CHUNK_RECORDS 32768

static const char Title[] = "数据ID,记录日期,记录时间,数据(0),数据(1),数据(2),数据(3),数据(4),"
                            "数据(5),数据(6),数据(7),数据(8),数据(9)\r\n";
static const char EmptyGrid[] = ",\r\n,\r\n";
static const char EmptyRow[] = ",,,,,,,,,,,,\r\n";

static unsigned word(const unsigned char *at)
{
    return (unsigned)at[0] | (unsigned)at[1] << 8;
}

static long long id(const unsigned char *at)
{
    unsigned long long u = (unsigned long long)word(at) | (unsigned long long)word(at + 2) << 16;
    return u >= 0x80000000ULL ? (long long)u - 0x100000000LL : (long long)u;
}

static void printRecord(const unsigned char *r)
{
    printf("%lld,%u-%02u-%02u,%02u:%02u:%02u,%u,%u,%u,%u,%u,%u,%u,%u,%u,%u\r\n", id(r), word(r + 4),
           r[6], r[7], r[8], r[9], r[10], word(r + 12), word(r + 14), word(r + 16), word(r + 18),
           word(r + 20), word(r + 22), word(r + 24), word(r + 26), word(r + 28), word(r + 30));
}

static int isAlarmFileName(const char *path)
{
    const char *name = strrchr(path, '/');
    return strcmp(name ? name + 1 : path, "Alarm.db") == 0;
}

int main(int argc, char **argv)
{
    static unsigned char chunk[CHUNK_RECORDS * RECORD_SIZE];
    unsigned char header[HEADER_SIZE];
    FILE *file;
    long size, rows, row;

    if (argc != 2) {
        fprintf(stderr, "usage: bin2csv FILE\n");
        return 2;
    }
    if (isAlarmFileName(argv[1])) {
        fprintf(stderr, "bin2csv: alarm files are not supported\n");
        return 2;
    }
    setvbuf(stdout, NULL, _IOFBF, 1 << 20);

    file = fopen(argv[1], "rb");
    if (!file || fread(header, 1, HEADER_SIZE, file) != HEADER_SIZE) {
        if (file)
            fclose(file);
        fputs(EmptyGrid, stdout);
        return 0;
    }
    if (memcmp(header + SIGNATURE_OFFSET, SIGNATURE, sizeof SIGNATURE - 1) != 0) {
        fclose(file);
        if (memcmp(header, "SQLite", 6) == 0) {
            fprintf(stderr, "bin2csv: SQLite files are not supported\n");
            return 2;
        }
        fputs(EmptyGrid, stdout);
        fprintf(stderr, "Norvale: Invalid Database\n");
        return 1;
    }
    if (fseek(file, 0, SEEK_END) != 0 || (size = ftell(file)) < 0
        || fseek(file, HEADER_SIZE, SEEK_SET) != 0) {
        fclose(file);
        fputs(EmptyGrid, stdout);
        return 0;
    }

    /* The header stands in for the title row; a trailing part is ignored. */
    rows = size / RECORD_SIZE;
    fputs(Title, stdout);
    row = 1;
    while (row < rows) {
        long want = rows - row < CHUNK_RECORDS ? rows - row : CHUNK_RECORDS;
        long got = (long)(fread(chunk, RECORD_SIZE, (size_t)want, file));
        long i;
        for (i = 0; i < got; ++i)
            printRecord(chunk + i * RECORD_SIZE);
        row += got;
        if (got < want)
            break;
    }
    fclose(file);
    for (; row < rows; ++row)
        fputs(EmptyRow, stdout);
    return fflush(stdout) == 0 ? 0 : 1;
}
