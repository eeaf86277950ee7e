#include "records/CsvWriter.h"

#include "records/RecordGridModel.h"

#include <QByteArray>
#include <QIODevice>

namespace {

bool needsQuotes(QByteArrayView field)
{
    for (const char c : field)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

void appendField(QByteArray &buffer, QByteArrayView field)
{
    if (!needsQuotes(field)) {
        buffer.append(field);
        return;
    }
    buffer.append('"');
    for (const char c : field) {
        if (c == '"')
            buffer.append('"');
        buffer.append(c);
    }
    buffer.append('"');
}

// Retries a short write, so that the write that fails says why.
bool writeAll(QIODevice &out, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

bool writeGridCsv(const RecordGridModel &grid, QIODevice &out)
{
    constexpr qsizetype FlushAt = 1 << 20;
    QByteArray buffer;
    buffer.reserve(FlushAt + 4096);
    for (int row = 0; row < grid.rows(); ++row) {
        for (int col = 0; col < grid.cols(); ++col) {
            if (col > 0)
                buffer.append(',');
            appendField(buffer, grid.cellUtf8(col, row));
        }
        buffer.append("\r\n", 2);
        if (buffer.size() >= FlushAt) {
            if (!writeAll(out, buffer))
                return false;
            buffer.clear();
        }
    }
    return writeAll(out, buffer);
}
