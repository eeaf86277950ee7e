// The command line's document reports every outcome as the main window does:
// the same files, picks and sheets give the same messages, the same grid and
// the same lists, so that a --to run writes what the window would show.

#include "cli/HeadlessDocument.h"
#include "records/CsvWriter.h"
#include "support/MainWindowFixture.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

class TestHeadlessDocument : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void reportsAsTheWindow_data();
    void reportsAsTheWindow();

private:
    QString makeFile(const QString &make);

    QTemporaryDir m_dir;
};

void TestHeadlessDocument::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(makeSample({u"samples"_s, m_dir.filePath(u"samples"_s)}));
    QVERIFY(writeFile(m_dir.filePath(u"bad-tags.csv"_s), "buffer,word,name\n*,zz,bad\n"));
}

QString TestHeadlessDocument::makeFile(const QString &make)
{
    if (make.startsWith(u"samples/"))
        return m_dir.filePath(make);
    const QString file = m_dir.filePath(make);
    QFile::remove(file);
    bool made = false;
    if (make == u"notes.txt") {
        made = writeFile(file, QByteArray(100, 'T'));
    } else if (make == u"short.bin") {
        made = writeFile(file, signedHeader().left(10));
    } else if (make == u"cut.bin") {
        made = writeFile(file, dataFile(3) + "partial");
    } else if (make == u"records.db") {
        made = sql(file,
                   createBuffer(1)
                       + insertBuffer(1, 1, "2013-05-07", "08:04:59", {"0", "16320", "-1", "1"})
                       + insertBuffer(1, 2, "2013-05-07", "08:05:00", {"65535", "7"})
                       + createBuffer(2));
    } else if (make == u"empty1.db") {
        made = sql(file, createBuffer(1) + createBuffer(2) + insertBuffer(2, 1, "d", "t", {}));
    } else if (make == u"Alarm.db") {
        // Data records under the alarm file's name.
        made = sql(file, createBuffer(1) + insertBuffer(1, 1, "d", "t", {}));
    }
    if (!made)
        qWarning("could not make %s", qPrintable(file));
    return file;
}

void TestHeadlessDocument::reportsAsTheWindow_data()
{
    QTest::addColumn<QString>("make");
    QTest::addColumn<int>("buffer"); // 0: not picked
    QTest::addColumn<int>("format"); // -1: not picked
    QTest::addColumn<QString>("tags");
    QTest::addColumn<bool>("english");

    const QString sheet = QStringLiteral(NORVALE_SAMPLE_TAGS);
    const struct
    {
        const char *row;
        const char *make;
        int buffer;
        int format;
        bool tags;
        bool badTags;
    } rows[] = {
        {"database", "samples/Buffer.db", 0, -1, false, false},
        {"database, buffer 3, format 4", "samples/Buffer.db", 3, 4, false, false},
        {"database, empty buffer 2", "samples/Buffer.db", 2, -1, false, false},
        {"database, empty buffer 2 then format 2", "samples/Buffer.db", 2, 2, false, false},
        {"database, missing buffer 12", "samples/Buffer.db", 12, -1, false, false},
        {"database, tag sheet, buffer 5", "samples/Buffer.db", 5, -1, true, false},
        {"database, empty buffer 1", "empty1.db", 0, -1, false, false},
        {"database, empty buffer 1 then buffer 2", "empty1.db", 2, 3, false, false},
        {"database, format 0 picks nothing", "records.db", 1, 0, false, false},
        {"binary data, format 3", "samples/Data.bin", 0, 3, false, false},
        {"binary data, buffer", "samples/Data.bin", 2, -1, false, false},
        {"binary data, tag sheet", "samples/Data.bin", 0, -1, true, false},
        {"binary data, faulty sheet", "samples/Data.bin", 0, -1, false, true},
        {"binary data cut inside a record", "cut.bin", 0, 1, false, false},
        {"alarm database, format", "samples/Alarm.db", 0, 2, false, false},
        {"binary alarms", "samples/binary/Alarm.db", 0, -1, false, false},
        {"data records as Alarm.db", "Alarm.db", 0, -1, false, false},
        {"not a log", "notes.txt", 0, -1, false, false},
        {"shorter than a header", "short.bin", 4, 2, false, false},
    };
    for (const auto &r : rows) {
        for (const bool english : {false, true}) {
            const QString tags = r.badTags ? m_dir.filePath(u"bad-tags.csv"_s)
                : r.tags                   ? sheet
                                           : QString();
            QTest::addRow("%s, %s", r.row, english ? "English" : "Chinese")
                << QString::fromLatin1(r.make) << r.buffer << r.format << tags << english;
        }
    }
}

void TestHeadlessDocument::reportsAsTheWindow()
{
    QFETCH(QString, make);
    QFETCH(int, buffer);
    QFETCH(int, format);
    QFETCH(QString, tags);
    QFETCH(bool, english);
    const QString file = makeFile(make);
    const Language language = english ? Language::English : Language::Chinese;

    MainWindowFixture window;
    if (english)
        window.main->switchToEnglish();
    else
        window.main->switchToChinese();
    MessageRecorder messages;
    HeadlessDocument log(language, messages, nullptr);

    const bool windowSheet = tags.isEmpty() || window.main->useTagSheet(tags);
    QCOMPARE(tags.isEmpty() || log.useTagSheet(tags), windowSheet);
    if (windowSheet) {
        window.main->openFile(file);
        log.open(file);
        if (buffer > 0) {
            const bool picked = window.main->pickBuffer(buffer - 1);
            QCOMPARE(log.pickBuffer(buffer) == HeadlessDocument::Pick::Done, picked);
        }
        if (format >= 0) {
            const bool enabled = window.main->displayFormatEnabled();
            const bool picked = enabled && window.main->pickFormat(ValueFormat::AllFormats[format]);
            const HeadlessDocument::Pick pick = log.pickFormat(ValueFormat::AllFormats[format]);
            QCOMPARE(pick == HeadlessDocument::Pick::NotAvailable, !enabled);
            QCOMPARE(pick == HeadlessDocument::Pick::Failed, enabled && !picked);
        }
    }
    QCOMPARE(messages.lines(), window.sink.lines());
    QStringList causes, windowCauses;
    for (const RecordedMessage &m : messages.messages)
        causes << m.cause;
    for (const RecordedMessage &m : window.sink.messages)
        windowCauses << m.cause;
    QCOMPARE(causes, windowCauses);

    QCOMPARE(log.loaded(), window.main->loadOutcome() == MainWindow::LoadOutcome::Loaded);
    if (!log.loaded())
        return;
    // What a run writes from: the grid, the value columns and their format.
    QCOMPARE(log.displayFormatEnabled(), window.main->displayFormatEnabled());
    QCOMPARE(log.displayFormat(), window.main->displayFormat());
    QCOMPARE(log.openFileName(), window.main->openFileName());
    QByteArray csv, windowCsv;
    QBuffer out(&csv), windowOut(&windowCsv);
    QVERIFY(out.open(QIODevice::WriteOnly) && windowOut.open(QIODevice::WriteOnly));
    QVERIFY(writeGridCsv(log.recordGrid(), out, CsvEncoding::Utf8));
    QVERIFY(writeGridCsv(window.main->recordGrid(), windowOut, CsvEncoding::Utf8));
    QVERIFY(!csv.isEmpty());
    QCOMPARE(csv, windowCsv);
}

QTEST_MAIN(TestHeadlessDocument)
#include "tst_headlessdocument.moc"
