#pragma once

// Real log files for the tests, written byte by byte or through the SQLite
// library, and a way to see that a browsed folder is left as it was.

#include "records/LogFileFormat.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <sqlite3.h>

#include <array>
#include <cstring>

namespace logfiles {

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A header block of `size` bytes whose bytes 12..31 are the signature;
// `lead` overwrites the first bytes (e.g. "SQLite").
inline QByteArray signedHeader(int size = int(LogFileFormat::HeaderBlockSize),
                               const QByteArray &lead = {})
{
    using namespace LogFileFormat;
    QByteArray h(size, '\0');
    std::memcpy(h.data() + SignatureOffset, Signature, SignatureLength);
    std::memcpy(h.data(), lead.constData(),
                size_t(std::min<qsizetype>(lead.size(), qsizetype(SignatureOffset))));
    return h;
}

inline void putLe16(QByteArray &b, int offset, quint16 v)
{
    qToLittleEndian<quint16>(v, b.data() + offset);
}

inline void putLe32(QByteArray &b, int offset, qint32 v)
{
    qToLittleEndian<qint32>(v, b.data() + offset);
}

struct DataRecord
{
    qint32 id = 1;
    quint16 year = 2013;
    quint8 month = 5, day = 7, hour = 8, minute = 4, second = 59;
    std::array<quint16, LogFileFormat::ValueWords> words {};
};

// The ID, date and time that begin every record.
template<typename Record> void putIdAndTime(QByteArray &b, const Record &r)
{
    using namespace LogFileFormat;
    putLe32(b, IdOffset, r.id);
    putLe16(b, YearOffset, r.year);
    b[MonthOffset] = char(r.month);
    b[DayOffset] = char(r.day);
    b[HourOffset] = char(r.hour);
    b[MinuteOffset] = char(r.minute);
    b[SecondOffset] = char(r.second);
}

inline QByteArray dataRecordBytes(const DataRecord &r)
{
    using namespace LogFileFormat;
    QByteArray b(DataRecordSize, '\0');
    putIdAndTime(b, r);
    b[DataSpareOffset] = char(0xEE); // must not matter
    for (int v = 0; v < ValueWords; ++v)
        putLe16(b, ValuesOffset + 2 * v, r.words[size_t(v)]);
    return b;
}

inline QByteArray dataFile(const QList<DataRecord> &records, const QByteArray &trailing = {})
{
    QByteArray b = signedHeader();
    for (const DataRecord &r : records)
        b += dataRecordBytes(r);
    return b + trailing;
}

// `count` records with IDs 1.., words derived from the ID.
inline QByteArray dataFile(int count)
{
    QList<DataRecord> records;
    for (int i = 1; i <= count; ++i) {
        DataRecord r;
        r.id = i;
        for (int v = 0; v < LogFileFormat::ValueWords; ++v)
            r.words[size_t(v)] = quint16(i * 10 + v);
        records << r;
    }
    return dataFile(records);
}

struct AlarmRecord
{
    qint32 id = 1;
    quint16 year = 2013;
    quint8 month = 5, day = 7, hour = 8, minute = 4, second = 59;
    quint8 number = 1;
    // Code units as stored; up to 50, the rest of the field is zero.
    std::u16string text = u"Alarm";
};

inline QByteArray alarmRecordBytes(const AlarmRecord &r)
{
    using namespace LogFileFormat;
    QByteArray b(AlarmRecordSize, '\0');
    putIdAndTime(b, r);
    b[AlarmNumberOffset] = char(r.number);
    for (size_t u = 0; u < r.text.size() && u < size_t(AlarmTextUnits); ++u)
        putLe16(b, AlarmTextOffset + 2 * int(u), quint16(r.text[u]));
    return b;
}

inline QByteArray alarmFile(const QList<AlarmRecord> &records, const QByteArray &trailing = {})
{
    QByteArray b = signedHeader(int(LogFileFormat::AlarmHeaderSize));
    for (const AlarmRecord &r : records)
        b += alarmRecordBytes(r);
    return b + trailing;
}

// Runs `sql` (any number of statements) on `fileName`, creating it.
inline bool sql(const QString &fileName, const QByteArray &statements)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open(fileName.toUtf8().constData(), &db) == SQLITE_OK
        && sqlite3_exec(db, statements.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok)
        qWarning("sql setup failed: %s", sqlite3_errmsg(db));
    sqlite3_close(db);
    return ok;
}

// "CREATE TABLE BufferN (ID INTEGER, N1 TEXT, N2 TEXT, N3 INTEGER, ..., N12 INTEGER)"
inline QByteArray createBuffer(int n, const char *valueType = "INTEGER")
{
    QByteArray s = "CREATE TABLE Buffer" + QByteArray::number(n) + " (ID INTEGER, N1 TEXT, N2 TEXT";
    for (int v = 3; v <= 12; ++v)
        s += ", N" + QByteArray::number(v) + ' ' + valueType;
    return s + ");";
}

// One row: ID, date, time, then the ten values as SQL literals.
inline QByteArray insertBuffer(int n, qint64 id, const QByteArray &date, const QByteArray &time,
                               const QList<QByteArray> &values)
{
    QByteArray s = "INSERT INTO Buffer" + QByteArray::number(n) + " VALUES ("
        + QByteArray::number(id) + ", '" + date + "', '" + time + "'";
    for (int v = 0; v < 10; ++v)
        s += ", " + (v < values.size() ? values[v] : QByteArray("0"));
    return s + ");";
}

// The names, sizes and contents of every file in `dir`.
inline QMap<QString, QByteArray> folderState(const QString &dir)
{
    QMap<QString, QByteArray> state;
    const QDir d(dir);
    for (const QString &name :
         d.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        QFile f(d.filePath(name));
        QByteArray digest = "<not a file>";
        if (QFileInfo(f).isFile() && f.open(QIODevice::ReadOnly))
            digest = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
        state.insert(name, digest);
    }
    return state;
}

// Runs make-sample-logs with `arguments`; true on exit status 0.
inline bool makeSample(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(NORVALE_SAMPLE_TOOL), arguments);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("make-sample-logs failed: %s", p.readAllStandardError().constData());
        return false;
    }
    return true;
}

} // namespace logfiles
