// The main window with tag sheets: the pop-up menu's items, the display
// format list, the title, the sheet kept per folder, and the statistics of
// the selected cells under the grid.
#include "mainwindow/FolderTagSheets.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/RecordGridView.h"
#include "platform/OptionsStore.h"
#include "records/GridStatistics.h"
#include "support/LogFiles.h"
#include "support/MessageRecorder.h"
#include "support/PickedFile.h"
#include "texts/TagSheetTexts.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

const QByteArray SheetTitle = "buffer,word,name,unit,type,gain,offset,decimals,texts\r\n";

struct Window
{
    explicit Window(OptionsStore *options = nullptr)
    {
        MainWindowServices services;
        services.messages = &sink;
        services.files = &chooser;
        services.options = options;
        main = std::make_unique<MainWindow>(services);
    }
    template<typename T> T *child(const char *name) const
    {
        T *found = main->findChild<T *>(QLatin1String(name));
        if (!found)
            qWarning("no control %s", name);
        return found;
    }
    QComboBox *formats() const { return child<QComboBox>("displayFormatList"); }
    void open(const QString &file)
    {
        chooser.file = file;
        child<QPushButton>("openButton")->click();
    }
    void pickSheet(const QString &sheet)
    {
        chooser.sheet = sheet;
        child<QAction>("TagSheet")->trigger();
    }
    QStringList titles() const
    {
        QStringList t;
        for (int c = 3; c < main->grid().cols(); ++c)
            t << main->grid().cell(c, 0);
        return t;
    }
    // Rows first .. last (grid rows) selected as a user would.
    void select(int first, int last) const
    {
        auto *view = child<RecordGridView>("recordGrid");
        const QModelIndex top = main->grid().index(first - 1, 0);
        const QModelIndex bottom = main->grid().index(last - 1, 0);
        view->selectionModel()->select(QItemSelection(top, bottom),
                                       QItemSelectionModel::ClearAndSelect
                                           | QItemSelectionModel::Rows);
    }
    QString statusLine() const
    {
        const QLabel *label = child<QLabel>("SelectionStatistics");
        return label->isVisibleTo(main.get()) ? label->text() : QString();
    }

    MessageRecorder sink;
    PickedFile chooser;
    std::unique_ptr<MainWindow> main;
};

DataRecord record(qint32 id, std::initializer_list<quint16> words)
{
    DataRecord r;
    r.id = id;
    std::copy(words.begin(), words.end(), r.words.begin());
    return r;
}

} // namespace

class TestTagSheetWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void menuTexts_data();
    void menuTexts();
    void sheetOnAndOff();
    void faultySheetRefused_data();
    void faultySheetRefused();
    void folderKeepsItsSheet();
    void folderList_data();
    void folderList();
    void selectionStatistics_data();
    void selectionStatistics();
    void manyRangesAsPlainComputation_data();
    void manyRangesAsPlainComputation();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTagSheetWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Four records: a grid of exactly two rows would count as empty.
    QVERIFY(writeFile(path(u"Data.bin"_s),
                      dataFile({record(1, {125, 0xFFFF, 1}), record(2, {3, 2, 0}),
                                record(3, {40, 7, 1}), record(4, {0, 0, 0})})));
    QVERIFY(writeFile(path(u"tags.csv"_s),
                      SheetTitle
                          + "*,0,Pressure,bar,u16,0.1,,,\r\n*,1,Offset,,s16,,,,\r\n"
                            "*,2,Pump,,enum,,,,0=Stop;1=Run\r\n"));
}

void TestTagSheetWindow::menuTexts_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("none");
    QTest::addColumn<QString>("edit");
    // Exit has &E in the same menu: the editor's item takes &I.
    QTest::newRow("Chinese") << true << u"位号表(&G)…"_s << u"不用位号表(&N)"_s
                             << u"编辑位号表(&I)…"_s;
    QTest::newRow("English") << false << u"Tag Sheet(&G)…"_s << u"No Tag Sheet(&N)"_s
                             << u"Edit Tag Sheet(&I)…"_s;
}

void TestTagSheetWindow::menuTexts()
{
    QFETCH(bool, chinese);
    QFETCH(QString, open);
    QFETCH(QString, none);
    QFETCH(QString, edit);
    Window w;
    if (chinese)
        w.main->switchToChinese();
    else
        w.main->switchToEnglish();
    QCOMPARE(w.child<QAction>("TagSheet")->text(), open);
    QCOMPARE(w.child<QAction>("NoTagSheet")->text(), none);
    QCOMPARE(w.child<QAction>("EditTagSheet")->text(), edit);
    // Nothing to take away yet.
    QVERIFY(!w.child<QAction>("NoTagSheet")->isEnabled());
    // In the pop-up menu, before the recent files.
    const QList<QAction *> items = w.main->findChild<QMenu *>(u"popupMenu"_s)->actions();
    const qsizetype at = items.indexOf(w.child<QAction>("TagSheet"));
    QVERIFY(at > 0);
    QCOMPARE(items.value(at + 1), w.child<QAction>("NoTagSheet"));
    QCOMPARE(items.value(at + 2), w.child<QAction>("EditTagSheet"));
    QCOMPARE(items.value(at + 3)->objectName(), u"recentFilesSeparator"_s);
    // No two items of the menu share an access key.
    QSet<QChar> keys;
    for (const QAction *item : items) {
        const qsizetype amp = item->text().indexOf(u'&');
        if (amp < 0 || amp + 1 >= item->text().size())
            continue;
        const QChar key = item->text()[amp + 1].toUpper();
        QVERIFY2(!keys.contains(key), qPrintable(item->text()));
        keys.insert(key);
    }
}

void TestTagSheetWindow::sheetOnAndOff()
{
    Window w;
    w.main->switchToEnglish();
    w.open(path(u"Data.bin"_s));
    QVERIFY(w.formats()->isEnabled());
    const QString plainTitle = w.main->windowTitle();
    QCOMPARE(w.main->grid().cols(), 13);

    w.pickSheet(path(u"tags.csv"_s));
    QVERIFY(w.sink.lines().isEmpty());
    QCOMPARE(w.titles(), (QStringList {u"Pressure [bar]"_s, u"Offset"_s, u"Pump"_s}));
    QCOMPARE(w.main->grid().cell(3, 1), u"12.5"_s);
    QCOMPARE(w.main->grid().cell(4, 1), u"-1"_s);
    QCOMPARE(w.main->grid().cell(5, 1), u"Run"_s);
    QVERIFY(!w.formats()->isEnabled());
    // The curve window still sees data records.
    QVERIFY(w.main->displayFormatEnabled());
    QCOMPARE(w.main->windowTitle(), plainTitle + u"  Tag sheet: tags.csv"_s);
    QVERIFY(w.child<QAction>("NoTagSheet")->isEnabled());

    // A new open keeps the sheet.
    w.open(path(u"Data.bin"_s));
    QCOMPARE(w.titles().size(), 3);
    QVERIFY(!w.formats()->isEnabled());

    w.child<QAction>("NoTagSheet")->trigger();
    QCOMPARE(w.main->grid().cols(), 13);
    QCOMPARE(w.main->grid().cell(3, 1), u"125"_s);
    QVERIFY(w.formats()->isEnabled());
    QCOMPARE(w.main->windowTitle(), plainTitle);
    QVERIFY(!w.child<QAction>("NoTagSheet")->isEnabled());
}

void TestTagSheetWindow::faultySheetRefused_data()
{
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown type") << SheetTitle + "*,0,A,,u16,,,,\r\n*,1,B,,u17,,,,\r\n"
                                  << u"Norvale: Line 3, column 5"_s;
    QTest::newRow("word out of range") << SheetTitle + "*,10,A,,u16,,,,\r\n"
                                       << u"Norvale: Line 2, column 2"_s;
    QTest::newRow("not a sheet") << QByteArray("a,b\r\n1,2\r\n") << u"Norvale: Line 1"_s;
}

void TestTagSheetWindow::faultySheetRefused()
{
    QFETCH(QByteArray, sheet);
    QFETCH(QString, message);
    QVERIFY(writeFile(path(u"faulty.csv"_s), sheet));
    Window w;
    w.main->switchToEnglish();
    w.open(path(u"Data.bin"_s));
    w.pickSheet(path(u"tags.csv"_s));
    const QString title = w.main->windowTitle();
    w.pickSheet(path(u"faulty.csv"_s));
    const QStringList lines = w.sink.take();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].startsWith(message), qPrintable(lines[0]));
    // The sheet in use stays, whole.
    QCOMPARE(w.titles().size(), 3);
    QCOMPARE(w.main->windowTitle(), title);
    QCOMPARE(w.main->document().tagSheetPath(), QFileInfo(path(u"tags.csv"_s)).absoluteFilePath());
}

void TestTagSheetWindow::folderKeepsItsSheet()
{
    QVERIFY(QDir(m_dir->path()).mkdir(u"other"_s));
    QVERIFY(QFile::copy(path(u"Data.bin"_s), path(u"Second.bin"_s)));
    QVERIFY(QFile::copy(path(u"Data.bin"_s), path(u"other/Data.bin"_s)));
    OptionsStore store(path(u"Norvale.conf"_s));
    QVERIFY(store.createKey());
    {
        Window w(&store);
        w.open(path(u"Data.bin"_s));
        w.pickSheet(path(u"tags.csv"_s));
        QCOMPARE(w.titles().size(), 3);
    }
    {
        // The next file from the folder, in a new run: the same sheet.
        Window w(&store);
        w.open(path(u"Second.bin"_s));
        QCOMPARE(w.titles().size(), 3);
        QVERIFY(!w.formats()->isEnabled());
        // A folder with no choice of its own keeps the sheet in use ...
        w.open(path(u"other/Data.bin"_s));
        QCOMPARE(w.titles().size(), 3);
        // ... until one is made there.
        w.child<QAction>("NoTagSheet")->trigger();
        QCOMPARE(w.main->grid().cols(), 13);
        w.open(path(u"Data.bin"_s));
        QCOMPARE(w.titles().size(), 3);
        w.open(path(u"other/Data.bin"_s));
        QCOMPARE(w.main->grid().cols(), 13);
        QVERIFY(w.sink.lines().isEmpty());
    }
    const FolderTagSheets kept(store.readList(FolderTagSheets::storeKey()));
    QCOMPARE(kept.sheetFor(FolderTagSheets::folderOf(path(u"Data.bin"_s))),
             std::optional(QFileInfo(path(u"tags.csv"_s)).absoluteFilePath()));
    QCOMPARE(kept.sheetFor(FolderTagSheets::folderOf(path(u"other/Data.bin"_s))),
             std::optional(QString()));
}

void TestTagSheetWindow::folderList_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("remember"); // folder, sheet pairs remembered in order
    QTest::addColumn<QStringList>("after");

    QTest::newRow("empty") << QStringList() << QStringList {u"/a"_s, u"/a/t.csv"_s}
                           << QStringList {u"/a"_s, u"/a/t.csv"_s};
    QTest::newRow("the latest first, an old entry replaced")
        << QStringList {u"/a"_s, u"/a/t.csv"_s, u"/b"_s, u"/b/t.csv"_s}
        << QStringList {u"/b"_s, QString()}
        << QStringList {u"/b"_s, QString(), u"/a"_s, u"/a/t.csv"_s};
    QTest::newRow("an odd count loses the last")
        << QStringList {u"/a"_s, u"/a/t.csv"_s, u"/b"_s} << QStringList()
        << QStringList {u"/a"_s, u"/a/t.csv"_s};
    QTest::newRow("an empty folder and a repeat dropped")
        << QStringList {QString(), u"x.csv"_s, u"/a"_s, u"1.csv"_s, u"/a"_s, u"2.csv"_s}
        << QStringList() << QStringList {u"/a"_s, u"1.csv"_s};
    QStringList many;
    QStringList kept;
    for (int i = 0; i < FolderTagSheets::MaxFolders; ++i)
        many << u"/f%1"_s.arg(i) << u"s%1"_s.arg(i);
    kept << u"/new"_s << u"n"_s << many.mid(0, 2 * (FolderTagSheets::MaxFolders - 1));
    QTest::newRow("the oldest folder goes past the most kept")
        << many << QStringList {u"/new"_s, u"n"_s} << kept;
}

void TestTagSheetWindow::folderList()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, remember);
    QFETCH(QStringList, after);
    FolderTagSheets sheets(stored);
    for (qsizetype i = 0; i + 1 < remember.size(); i += 2)
        sheets.remember(remember[i], remember[i + 1]);
    QCOMPARE(sheets.stored(), after);
}

void TestTagSheetWindow::selectionStatistics_data()
{
    QTest::addColumn<bool>("sheet");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("line");

    // Rows 1 .. 2 with the sheet: 12.5, 0.3 (pressure) and -1, 2 (offset);
    // the pump's names hold no number.
    QTest::newRow("sheet, two rows")
        << true << 0 << 1 << 2 << u"Count: 4   Min: -1   Max: 12.5   Mean: 3.450   Sum: 13.8"_s;
    QTest::newRow("sheet, one row")
        << true << 0 << 3 << 3 << u"Count: 2   Min: 4.0   Max: 7   Mean: 5.500   Sum: 11.0"_s;
    // Without: every value word of the rows, as unsigned decimals.
    QTest::newRow("16-bit unsigned, one row")
        << false << 0 << 2 << 2 << u"Count: 10   Min: 0   Max: 3   Mean: 0.50   Sum: 5"_s;
    QTest::newRow("16-bit signed, one row")
        << false << 1 << 1 << 1 << u"Count: 10   Min: -1   Max: 125   Mean: 12.50   Sum: 125"_s;
    // Hexadecimal cells are texts, not numbers: no line.
    QTest::newRow("hexadecimal") << false << 3 << 1 << 3 << QString();
}

void TestTagSheetWindow::selectionStatistics()
{
    QFETCH(bool, sheet);
    QFETCH(int, format);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QString, line);
    Window w;
    w.main->switchToEnglish();
    w.open(path(u"Data.bin"_s));
    if (sheet)
        w.pickSheet(path(u"tags.csv"_s));
    if (format)
        QVERIFY(w.main->pickFormat(ValueFormat::Format(format)));
    QCOMPARE(w.statusLine(), QString());
    w.select(first, last);
    QCOMPARE(w.main->selectionStatisticsText(), line);
    // Made once the selection stops changing, not at every change.
    QCOMPARE(w.statusLine(), QString());
    QTRY_COMPARE(w.statusLine(), line);
    // A new load drops the selection and the line.
    w.open(path(u"Data.bin"_s));
    QTRY_COMPARE(w.statusLine(), QString());
}

void TestTagSheetWindow::manyRangesAsPlainComputation_data()
{
    QTest::addColumn<bool>("sheet");
    QTest::addColumn<int>("format");
    QTest::newRow("16-bit unsigned") << false << 0;
    QTest::newRow("16-bit signed") << false << 1;
    QTest::newRow("32-bit signed") << false << 2;
    QTest::newRow("32-bit float") << false << 4;
    QTest::newRow("sheet: scaled, rounded, signed, float") << true << 0;
}

void TestTagSheetWindow::manyRangesAsPlainComputation()
{
    QFETCH(bool, sheet);
    QFETCH(int, format);
    QList<DataRecord> records;
    for (int i = 0; i < 300; ++i) {
        const auto w = [i](int k) { return quint16((i * 7919 + k * 104729) ^ (i << k)); };
        records.append(record(i + 1, {}));
        for (int k = 0; k < 10; ++k)
            records.last().words[std::size_t(k)] = w(k);
    }
    records[5].words.fill(0xFFFF);
    records[6].words.fill(0x8000);
    QVERIFY(writeFile(path(u"Many.bin"_s), dataFile(records)));
    QVERIFY(writeFile(path(u"many.csv"_s),
                      SheetTitle
                          + "*,0,A,,u16,0.01,-50,1,\r\n*,1,B,,s16,0.25,,1,\r\n"
                            "*,2,C,,s32,-0.001,3.5,,\r\n*,4,D,,f32,,,,\r\n"
                            "*,5,E,,s16,,,,\r\n*,6,F,,u16,2,,3,\r\n*,7,G,,enum,,,,0=a\r\n"
                            "*,8,H,,u16,1e-9,,12,\r\n"));
    Window w;
    w.main->switchToEnglish();
    w.open(path(u"Many.bin"_s));
    if (sheet)
        QVERIFY(w.main->useTagSheet(path(u"many.csv"_s)));
    if (format)
        QVERIFY(w.main->pickFormat(ValueFormat::Format(format)));
    const RecordGridModel &grid = w.main->grid();
    QCOMPARE(grid.recordCount(), 300);

    // Blocks of every shape, many overlapping, as a drag with Ctrl makes them.
    auto *view = w.child<RecordGridView>("recordGrid");
    QItemSelection selection;
    const int cols = grid.cols() - 1;
    for (int i = 0; i < 60; ++i) {
        const int top = (i * 37) % 300;
        const int left = (i * 5) % cols;
        const QModelIndex a = grid.index(top, left);
        const QModelIndex b
            = grid.index(std::min(299, top + (i * 13) % 40), std::min(cols - 1, left + i % 4));
        selection.select(a, b);
    }
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);

    // Plainly: every selected cell once, by its text.
    NumberStatistics plain;
    for (int col = 3; col < grid.cols(); ++col) {
        if (!GridStatistics::holdsNumbers(grid, col, w.main->displayFormat()))
            continue;
        for (int row = 1; row <= grid.recordCount(); ++row)
            if (view->selectionModel()->isSelected(grid.index(row - 1, col - 1)))
                plain.add(grid.cellUtf8(col, row));
    }
    QVERIFY(plain.count() > 500);
    QCOMPARE(w.main->selectionStatisticsText(),
             TagSheetTexts::selectionStatistics(
                 Language::English, plain.count(), QString::fromUtf8(plain.minText()),
                 QString::fromUtf8(plain.maxText()), QString::fromUtf8(plain.meanText()),
                 QString::fromUtf8(plain.sumText())));
}

QTEST_MAIN(TestTagSheetWindow)
#include "tst_tagsheetwindow.moc"
