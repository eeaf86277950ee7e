// Feeds arbitrary bytes to the SQLite loaders as a database file: the alarm
// list, and a record buffer in every display format. Seed it with real
// databases from make-sample-logs.

#include "records/DatabaseLoading.h"
#include "records/RecordGridModel.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Input.db"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    RecordGridModel alarms;
    loadAlarmDatabase(path, alarms);
    for (int format = 0; format < 5; ++format) {
        RecordGridModel grid;
        loadDataRecords(path, 1, ValueFormat::Format(format), format % 2 == 0, grid);
    }
    loadDataRecords(path, 12, ValueFormat::Format::Unsigned16, false, alarms);
    return 0;
}
