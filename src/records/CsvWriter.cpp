#include "records/CsvWriter.h"

#include "records/RecordGridModel.h"

#include <QByteArray>
#include <QIODevice>

#include <cstring>

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
    bool room(qsizetype bytes)
    {
        if (m_used + bytes <= m_bytes.size())
            return true;
        if (!flush())
            return false;
        if (bytes > m_bytes.size())
            m_bytes.resize(bytes);
        return true;
    }

    QIODevice &m_out;
    QByteArray m_bytes;
    qsizetype m_used = 0;
};

} // namespace

bool writeGridCsv(const RecordGridModel &grid, QIODevice &out)
{
    CsvBuffer buffer(out);
    for (int row = 0; row < grid.rows(); ++row) {
        for (int col = 0; col < grid.cols(); ++col) {
            if (col > 0 && !buffer.append(','))
                return false;
            if (!buffer.appendField(grid.cellUtf8(col, row)))
                return false;
        }
        if (!buffer.endRow())
            return false;
    }
    return buffer.flush();
}
