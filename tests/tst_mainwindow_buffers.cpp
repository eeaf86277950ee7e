// The buffer and display format lists: picking buffers of a database, format
// changes on databases and binary files, and how the lists look when off.

#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

const QColor Olive(128, 128, 0);

using Window = MainWindowFixture;

} // namespace

class TestMainWindowBuffers : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void pickingBuffers();
    void clearThenPickBufferLoadsInSelectedFormat();
    void formatChangesOnDatabase();
    void formatChangesOnBinaryFile();
    void binaryFileGoneBeforeFormatChange_data();
    void binaryFileGoneBeforeFormatChange();
    void disabledListsLookDisabled();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString recordDatabase() const { return recordDatabaseIn(*m_dir); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMainWindowBuffers::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMainWindowBuffers::pickingBuffers()
{
    Window w;
    w.main->show();
    w.open(recordDatabase());
    QCOMPARE(w.main->grid().rows(), 251);
    const auto loaded = gridRows(w.main->grid());

    // Buffer2 has no rows: message, grid and count untouched, and the view
    // keeps its current row.
    auto *view = w.main->findChild<QTableView *>(u"recordGrid"_s);
    QVERIFY(view);
    view->setCurrentIndex(view->model()->index(120, 2));
    QVERIFY(w.pick(w.buffers(), 1));
    QCOMPARE(view->currentIndex().row(), 120);
    QCOMPARE(w.sink.take(), QStringList {u"Ostrevain: < 记录#2 > 没有数据！"_s});
    QCOMPARE(gridRows(w.main->grid()), loaded);
    QCOMPARE(w.count(), u"数据条数:250"_s);
    QCOMPARE(w.buffers()->currentText(), u"记录#2"_s);

    QVERIFY(w.pick(w.buffers(), 2));
    QVERIFY(w.sink.messages.isEmpty());
    QCOMPARE(w.main->grid().rows(), 6);
    QCOMPARE(w.count(), u"数据条数:5"_s);
    QCOMPARE(w.main->countDisplayColour(), Olive);

    // English, no table Buffer12.
    w.action("englishAction")->trigger();
    QVERIFY(w.pick(w.buffers(), 11));
    // The text as it always was; the library's reason goes with it as the box's details.
    QCOMPARE(w.sink.causes(), QStringList {u"no such table: Buffer12"_s});
    QCOMPARE(w.sink.take(), QStringList {u"Norvale: < Reco#12 > No Create！"_s});
    QCOMPARE(shape(w.main->grid()), emptyGridText());
    QCOMPARE(w.count(), u"Sum Data:0"_s);
    QVERIFY(w.buffers()->isEnabled());
    QVERIFY(w.formats()->isEnabled());

    // Back to buffer 1 loads it afresh in the language of the moment.
    QVERIFY(w.pick(w.buffers(), 0));
    QCOMPARE(w.main->grid().rows(), 251);
    QCOMPARE(w.row(0), dataTitles(false, false));
    QCOMPARE(gridRows(w.main->grid()).mid(1), loaded.mid(1));
}

void TestMainWindowBuffers::clearThenPickBufferLoadsInSelectedFormat()
{
    Window w;
    w.main->show();
    w.open(recordDatabase());
    QVERIFY(w.pick(w.formats(), 3));
    QCOMPARE(w.main->grid().cols(), 8);
    const QColor colour = w.main->countDisplayColour();

    w.child<QPushButton>("clearButton")->click();
    QCOMPARE(shape(w.main->grid()), emptyGridText());
    QCOMPARE(w.count(), u"数据条数:0"_s);
    QVERIFY(!w.formats()->isEnabled());
    QCOMPARE(w.formats()->currentIndex(), 3);
    QVERIFY(w.buffers()->isEnabled());
    QCOMPARE(w.main->countDisplayColour(), colour);
    QVERIFY(w.main->windowTitle().contains(w.main->openFileName()));

    QVERIFY(w.pick(w.buffers(), 2));
    QVERIFY(w.sink.messages.isEmpty());
    QCOMPARE(w.main->grid().rows(), 6);
    QCOMPARE(w.main->grid().cols(), 8);
    QCOMPARE(w.row(0), dataTitles(true, true));
    QCOMPARE(w.main->grid().cell(3, 1).size(), 8); // hexadecimal
    QCOMPARE(w.count(), u"数据条数:5"_s);
    QVERIFY(!w.formats()->isEnabled());
}

void TestMainWindowBuffers::formatChangesOnDatabase()
{
    const QString file = path(u"values.db"_s);
    QVERIFY(sql(file,
                createBuffer(1) + insertBuffer(1, 1, "d", "t", {"0", "16320", "-1", "1"})
                    + insertBuffer(1, 2, "d", "t", {"0", "16320", "-1", "1"})));
    Window w;
    w.main->show();
    w.open(file);
    QCOMPARE(w.row(1).mid(3, 4), (QStringList {u"0"_s, u"16320"_s, u"-1"_s, u"1"_s}));
    const QStringList expected[] = {
        {u"0"_s, u"16320"_s, u"-1"_s, u"1"_s},
        {u"0"_s, u"16320"_s, u"-1"_s, u"1"_s},
        {u"1069547520"_s, u"65535"_s, u"0"_s},
        {u"3FC00000"_s, u"0000FFFF"_s, u"00000000"_s},
        {u"1.500000"_s, u"0.000000"_s, u"0.000000"_s},
    };
    for (int format : {3, 0, 4, 2, 1}) {
        QVERIFY(w.pick(w.formats(), format));
        const QStringList &values = expected[format];
        QCOMPARE(w.main->grid().cols(), format >= 2 ? 8 : 13);
        QCOMPARE(w.row(0), dataTitles(true, format >= 2));
        QCOMPARE(w.row(2).mid(3, values.size()), values);
        QCOMPARE(w.count(), u"数据条数:2"_s);
    }
    QVERIFY(w.sink.messages.isEmpty());

    // A NULL makes formats 1 to 3 fail as a whole.
    QVERIFY(sql(file, "UPDATE Buffer1 SET N5 = NULL WHERE ID = 2;"));
    QVERIFY(w.pick(w.formats(), 3));
    QCOMPARE(w.sink.take(), QStringList {u"Norvale: < 记录#1 > 没有创建！"_s});
    QCOMPARE(shape(w.main->grid()), emptyGridText());
    QVERIFY(w.pick(w.formats(), 4));
    QVERIFY(w.sink.messages.isEmpty());
    QCOMPARE(w.row(2).mid(3, 2), (QStringList {u"1.500000"_s, u"0.0"_s}));
}

void TestMainWindowBuffers::formatChangesOnBinaryFile()
{
    DataRecord r;
    r.words = {0x0000, 0x3FC0, 0xFFFF, 0xFFFF, 0x0000, 0x8000, 0x8000, 0, 0, 0};
    const QString file = path(u"words.bin"_s);
    QVERIFY(writeFile(file, dataFile({r, r, r})));
    Window w;
    w.main->show();
    w.open(file);
    const auto opened = gridRows(w.main->grid());
    QVERIFY(w.pick(w.formats(), 3));
    QCOMPARE(w.main->grid().cols(), 8);
    QCOMPARE(w.main->grid().colWidth(5), 120);
    QCOMPARE(w.row(0), dataTitles(true, true));
    QCOMPARE(
        w.row(3).mid(3),
        (QStringList {u"3FC00000"_s, u"FFFFFFFF"_s, u"80000000"_s, u"00008000"_s, u"00000000"_s}));
    QCOMPARE(w.count(), u"数据条数:3"_s);
    QVERIFY(w.pick(w.formats(), 1));
    QCOMPARE(w.main->grid().cols(), 13);
    QCOMPARE(
        w.row(3).mid(3, 7),
        (QStringList {u"0"_s, u"16320"_s, u"-1"_s, u"-1"_s, u"0"_s, u"-32768"_s, u"-32768"_s}));
    QVERIFY(w.pick(w.formats(), 0));
    QCOMPARE(gridRows(w.main->grid()), opened);
    QVERIFY(w.sink.messages.isEmpty());
    QVERIFY(!w.buffers()->isEnabled());
}

void TestMainWindowBuffers::binaryFileGoneBeforeFormatChange_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("grid");
    QTest::newRow("replaced by a file without the signature") << u"unsigned"_s << emptyGridText();
    QTest::newRow("replaced by a SQLite file") << u"sqlite"_s << emptyGridText();
    QTest::newRow("deleted") << u"deleted"_s << u"unchanged"_s;
    QTest::newRow("cut to 20 bytes") << u"short"_s << u"unchanged"_s;
}

void TestMainWindowBuffers::binaryFileGoneBeforeFormatChange()
{
    QFETCH(QString, change);
    QFETCH(QString, grid);
    const QString file = path(u"data.bin"_s);
    QVERIFY(writeFile(file, dataFile(5)));
    Window w;
    w.main->show();
    w.open(file);
    const auto opened = gridRows(w.main->grid());
    if (change == u"unsigned")
        QVERIFY(writeFile(file, QByteArray(32 * 6, 'x')));
    else if (change == u"sqlite")
        QVERIFY(QFile::remove(file) && sql(file, createBuffer(1)));
    else if (change == u"deleted")
        QVERIFY(QFile::remove(file));
    else if (change == u"short")
        QVERIFY(QFile::resize(file, 20));
    // The pick reports the failure its message told of.
    QVERIFY(!w.main->pickFormat(ValueFormat::Format::Float32));
    QCOMPARE(w.sink.take(), QStringList {u"Norvale: Invalid Database"_s});
    if (grid == u"unchanged")
        QCOMPARE(gridRows(w.main->grid()), opened);
    else
        QCOMPARE(shape(w.main->grid()), grid);
    QCOMPARE(QFileInfo::exists(file), change != u"deleted");
    // A lost signature leaves the count display's text as it was, although
    // the grid is emptied; otherwise the grid and so the count are unchanged.
    QCOMPARE(w.count(), u"数据条数:5"_s);
}

void TestMainWindowBuffers::disabledListsLookDisabled()
{
    Window w;
    w.main->show();
    const auto lookOf = [](const QComboBox *list, QPalette::ColorGroup group) {
        return QList<QColor> {list->palette().color(group, QPalette::Text),
                              list->palette().color(group, QPalette::ButtonText)};
    };
    const auto platformDisabled = [&](const QComboBox *list) {
        const QPalette platform = QApplication::palette(list);
        return QList<QColor> {platform.color(QPalette::Disabled, QPalette::Text),
                              platform.color(QPalette::Disabled, QPalette::ButtonText)};
    };
    const QList<QColor> black {Qt::black, Qt::black};
    for (QComboBox *list : {w.buffers(), w.formats()}) {
        QVERIFY(!list->isEnabled());
        QCOMPARE(lookOf(list, QPalette::Disabled), platformDisabled(list));
        QVERIFY(lookOf(list, QPalette::Disabled) != black);
        QCOMPARE(lookOf(list, QPalette::Active), black);
    }
    // Enabled by a database, in their black face; disabled again by Clear.
    w.open(recordDatabase());
    QVERIFY(w.buffers()->isEnabled() && w.formats()->isEnabled());
    QCOMPARE(lookOf(w.buffers(), QPalette::Active), black);
    QCOMPARE(lookOf(w.formats(), QPalette::Inactive), black);
    w.child<QPushButton>("clearButton")->click();
    QVERIFY(!w.formats()->isEnabled());
    QCOMPARE(lookOf(w.formats(), QPalette::Disabled), platformDisabled(w.formats()));
}

QTEST_MAIN(TestMainWindowBuffers)
#include "tst_mainwindow_buffers.moc"
