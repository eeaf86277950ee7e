#include "records/CsvWriter.h"

#include "records/RecordGridModel.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringEncoder>

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
        if (rowWritten)
            rowWritten(row);
    }
    return writeAll(out, buffer);
}

} // namespace
