#include "records/CsvWriter.h"

#include "records/RecordGridModel.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

bool needsQuotes(QByteArrayView field)
{
    for (const char c : field)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

// Retries a short write, so that the write that fails says why.
bool writeAll(QIODevice &out, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 n = out.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Rows gathered in one block and written a megabyte at a time; fields are
// copied in place, as this runs for every cell of millions of rows.
class CsvBuffer
{
public:
    static constexpr qsizetype FlushAt = 1 << 20;

    explicit CsvBuffer(QIODevice &out)
        : m_out(out)
        , m_bytes(FlushAt + 4096, Qt::Uninitialized)
    { }

    bool append(char c)
    {
        if (!room(1))
            return false;
        m_bytes.data()[m_used++] = c;
        return true;
    }
    bool appendField(QByteArrayView field)
    {
        const bool quoted = needsQuotes(field);
        if (!room(quoted ? 2 * field.size() + 2 : field.size()))
            return false;
        char *at = m_bytes.data() + m_used;
        if (!quoted) {
            std::memcpy(at, field.data(), size_t(field.size()));
            m_used += field.size();
            return true;
        }
        char *p = at;
        *p++ = '"';
        for (const char c : field) {
            if (c == '"')
                *p++ = '"';
            *p++ = c;
        }
        *p++ = '"';
        m_used += p - at;
        return true;
    }
    bool endRow()
    {
        if (!append('\r') || !append('\n'))
            return false;
        return m_used < FlushAt || flush();
    }
    bool flush()
    {
        const bool ok = writeAll(m_out, QByteArrayView(m_bytes.constData(), m_used));
        m_used = 0;
        return ok;
    }

private:
    // Grows for a row longer than the block: writes end on line ends only,
    // so an encoder after us never sees a character split in two.
    bool room(qsizetype bytes)
    {
        if (m_used + bytes > m_bytes.size())
            m_bytes.resize(std::max(2 * m_bytes.size(), m_used + bytes));
        return true;
    }

    QIODevice &m_out;
    QByteArray m_bytes;
    qsizetype m_used = 0;
};

} // namespace

std::optional<CsvEncoding> csvEncodingNamed(const QString &name)
{
    if (name == QLatin1String("utf-8"))
        return CsvEncoding::Utf8;
    if (name == QLatin1String("utf-8-bom"))
        return CsvEncoding::Utf8Bom;
    if (name == QLatin1String("gb18030"))
        return CsvEncoding::Gb18030;
    return std::nullopt;
}

bool csvEncodingAvailable(CsvEncoding encoding)
{
    if (encoding != CsvEncoding::Gb18030)
        return true;
    return QStringEncoder("GB18030").isValid();
}

namespace {

// Passes UTF-8 on in another encoding; every write ends on a line end, so no
// character is split between two.
class EncodingDevice : public QIODevice
{
public:
    explicit EncodingDevice(QIODevice &out)
        : m_out(out)
        , m_encoder("GB18030")
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        const QString text = QString::fromUtf8(data, qsizetype(length));
        const QByteArray bytes = m_encoder.encode(text);
        if (m_encoder.hasError() || !writeAll(m_out, bytes))
            return -1;
        return length;
    }

private:
    QIODevice &m_out;
    QStringEncoder m_encoder;
};

} // namespace

namespace {
bool writeRows(const RecordGridModel &grid, QIODevice &out, const CsvRowWritten &rowWritten);
} // namespace

bool writeGridCsv(const RecordGridModel &grid, QIODevice &out, CsvEncoding encoding,
                  const CsvRowWritten &rowWritten)
{
    switch (encoding) {
    case CsvEncoding::Utf8:
        return writeRows(grid, out, rowWritten);
    case CsvEncoding::Utf8Bom:
        return writeAll(out, QByteArray("\xEF\xBB\xBF")) && writeRows(grid, out, rowWritten);
    case CsvEncoding::Gb18030: {
        if (!csvEncodingAvailable(encoding))
            return false;
        EncodingDevice encoded(out);
        return writeRows(grid, encoded, rowWritten);
    }
    }
    return false;
}

bool writeGridCsv(const RecordGridModel &grid, QIODevice &out)
{
    return writeRows(grid, out, {});
}

namespace {

bool writeRows(const RecordGridModel &grid, QIODevice &out, const CsvRowWritten &rowWritten)
{
    CsvBuffer buffer(out);
    const int cols = grid.cols();
    std::vector<CellText> cells(static_cast<std::size_t>(cols));
    for (int row = 0; row < grid.rows(); ++row) {
        grid.rowUtf8(row, cells.data(), cols);
        for (int col = 0; col < cols; ++col) {
            if (col > 0 && !buffer.append(','))
                return false;
            if (!buffer.appendField(cells[std::size_t(col)]))
                return false;
        }
        if (!buffer.endRow())
            return false;
        if (rowWritten)
            rowWritten(row);
    }
    return buffer.flush();
}

} // namespace
