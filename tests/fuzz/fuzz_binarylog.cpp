// Feeds arbitrary bytes to the binary log reader, as a data file and as an
// alarm file, in every display format.

#include "FuzzInput.h"
#include "logfiles/BinaryLogFile.h"
#include "records/RecordGridModel.h"

#include <cstdint>

namespace {

void readAs(const QString &path, const uint8_t *data, size_t size, bool alarms)
{
    if (!fuzzinput::write(path, data, size))
        return;

    for (int format = 0; format < (alarms ? 1 : 5); ++format) {
        RecordGridModel grid;
        LogFile log;
        QByteArray header;
        if (!log.open(path) || !log.readHeaderBlock(header))
            continue;
        LogKind::hasSqliteHeader(header);
        if (!LogKind::hasSignature(header))
            continue;
        if (alarms)
            readBinaryAlarms(log, grid);
        else
            readBinaryDataRecords(log, grid, ValueFormat::Format(format));
        for (int r = 0; r < grid.rows(); ++r)
            for (int c = 0; c < grid.cols(); ++c)
                (void)grid.cell(c, r);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString folder = fuzzinput::folder();
    // Most inputs lack the signature; give half of them one so the record
    // decoding is reached.
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (size > 0 && (data[0] & 1) && bytes.size() >= 32)
        bytes.replace(12, 20, "SQL:www.norvale.tech");
    const auto *p = reinterpret_cast<const uint8_t *>(bytes.constData());
    readAs(folder + QStringLiteral("/Data.bin"), p, size_t(bytes.size()), false);
    readAs(folder + QStringLiteral("/Alarm.db"), p, size_t(bytes.size()), true);
    return 0;
}
