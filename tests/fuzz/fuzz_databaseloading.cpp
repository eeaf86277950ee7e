// Feeds arbitrary bytes to the SQLite loaders as a database file: the alarm
// list or a record buffer in a display format. Seed it with the small
// databases of make-sample-logs seeds.

#include "FuzzInput.h"
#include "logfiles/DatabaseLoading.h"
#include "records/RecordGridModel.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = fuzzinput::folder() + QStringLiteral("/Input.db");
    if (!fuzzinput::write(path, data, size))
        return 0;
    // Mostly one load an input, as the program would do it: the alarm list
    // when the file names the alarm table, else a record buffer. The buffer,
    // display format and language follow from the size, so that each is
    // reached over inputs of different sizes. Now and then buffer 12 goes
    // into the alarm list's grid too, a layout it does not have yet.
    const auto format = ValueFormat::Format(size / 2 % 5);
    const Language language = size / 10 % 2 == 0 ? Language::Chinese : Language::English;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    RecordGridModel grid;
    if (bytes.contains(QByteArrayView("Ldata"))) {
        loadAlarmDatabase(path, grid);
        if (size % 3 == 0)
            loadDataRecords(path, 12, format, language, grid);
    } else {
        loadDataRecords(path, size % 2 == 0 ? 1 : 12, format, language, grid);
    }
    return 0;
}
