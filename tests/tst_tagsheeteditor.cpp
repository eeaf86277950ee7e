// The tag sheet editor: cells checked as typed, rows added, removed and
// moved, and sheets saved whole through the safe output, read back the same.
#include "mainwindow/MainWindow.h"
#include "mainwindow/TagSheetController.h"
#include "mainwindow/TagSheetEditor.h"
#include "support/LogFiles.h"
#include "support/MessageRecorder.h"
#include "support/PickedFile.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;
using Kind = TagSheetFault::Kind;

Q_DECLARE_METATYPE(TagSheetFault::Kind)
Q_DECLARE_METATYPE(SaveAnswer)
Q_DECLARE_METATYPE(Language)

namespace {

const QByteArray SheetTitle = "buffer,word,name,unit,type,gain,offset,decimals,texts\r\n";

// A sheet of every type, with names and texts that need quoting.
TagSheet everyType()
{
    const QByteArray csv = SheetTitle
        + "*,0,Speed,rpm,u16,0.5,-3,2,\r\n"
          "3,1,\"Press \"\"A\"\", line\",bar,s16,,,,\r\n"
          "12,2,\"Two\r\nlines\",,s32,1e-3,,,\r\n"
          "*,4,Code,,hex32,,,,\r\n"
          "*,6,Flow,m³/h,f32,2,0.25,3,\r\n"
          "1,8,Mode,,enum,,,,\"0=Stop;1=Run, fast;2=\"\"Fault\"\"\"\r\n"
          "*,9,状态,,bits,,,,0=运行;15=报警\r\n";
    return *TagSheet::parse(csv).sheet;
}

struct Editor
{
    Editor()
    {
        TagSheetEditor::Services services;
        services.messages = &sink;
        services.chooseSave = [this](QWidget *) { return saveName; };
        services.chooseOpen = [this](QWidget *) { return openName; };
        services.protectedFile = [this] { return browsed; };
        editor = std::make_unique<TagSheetEditor>(services, Language::English);
    }
    QTableWidget *table() const { return editor->table(); }
    void type(int row, int col, const QString &text) const
    {
        table()->item(row, col)->setText(text);
    }
    QString faultLine() const
    {
        const auto *line = editor->findChild<QLabel *>(u"faultLine"_s);
        return line->isVisibleTo(editor.get()) ? line->text() : QString();
    }

    MessageRecorder sink;
    QString saveName;
    QString openName;
    QString browsed;
    std::unique_ptr<TagSheetEditor> editor;
};

} // namespace

class TestTagSheetEditor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void savesWhatItReadsBack();
    void cellCheckedAsTyped_data();
    void cellCheckedAsTyped();
    void rowsAddedMovedRemoved();
    void faultySheetNotSaved();
    void failedSaveReported_data();
    void failedSaveReported();
    void savingTheSheetInUseAppliesIt();
    void unsavedChangesAsked_data();
    void unsavedChangesAsked();
    void questionInTheLanguageShown_data();
    void questionInTheLanguageShown();
    void mainWindowClosingAsks_data();
    void mainWindowClosingAsks();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTagSheetEditor::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestTagSheetEditor::savesWhatItReadsBack()
{
    const TagSheet sheet = everyType();
    QCOMPARE(sheet.tags.size(), 7);
    QVERIFY(writeFile(path(u"in.csv"_s), [&] {
        QBuffer b;
        b.open(QIODevice::WriteOnly);
        sheet.write(b);
        return b.data();
    }()));
    Editor e;
    e.openName = path(u"in.csv"_s);
    e.editor->chooseAndOpen();
    QCOMPARE(e.table()->rowCount(), 7);
    QCOMPARE(e.table()->item(2, 2)->text(), u"Two\r\nlines"_s);
    QCOMPARE(e.faultLine(), QString());
    QCOMPARE(e.editor->sheet(), std::optional(sheet));

    e.saveName = path(u"out.csv"_s);
    QSignalSpy saved(e.editor.get(), &TagSheetEditor::saved);
    QVERIFY(e.editor->saveAs());
    QCOMPARE(saved.size(), 1);
    const TagSheetReading back = TagSheet::read(path(u"out.csv"_s));
    QVERIFY2(back.sheet, qPrintable(back.fault.message(Language::English)));
    QCOMPARE(*back.sheet, sheet);
    // Save writes to the same file again, with nothing left beside it.
    e.type(0, 2, u"Speed, main"_s);
    QVERIFY(e.editor->save());
    QCOMPARE(TagSheet::read(path(u"out.csv"_s)).sheet->tags[0].name, u"Speed, main"_s);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList {u"in.csv"_s, u"out.csv"_s}));
    QVERIFY(e.sink.lines().isEmpty());
}

void TestTagSheetEditor::cellCheckedAsTyped_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("faultColumn"); // 0: none
    QTest::addColumn<Kind>("kind");

    QTest::newRow("buffer 13") << 0 << u"13"_s << 1 << Kind::BadBuffer;
    QTest::newRow("buffer *") << 0 << u"*"_s << 0 << Kind::BadBuffer;
    QTest::newRow("word 10") << 1 << u"10"_s << 2 << Kind::BadWord;
    QTest::newRow("word 9") << 1 << u"9"_s << 0 << Kind::BadWord;
    QTest::newRow("name empty") << 2 << u" "_s << 3 << Kind::EmptyName;
    QTest::newRow("name with comma and quote") << 2 << u"a,\"b\""_s << 0 << Kind::EmptyName;
    QTest::newRow("type unknown") << 4 << u"u17"_s << 5 << Kind::UnknownType;
    QTest::newRow("type s32 at word 9") << 4 << u"s32"_s << 2 << Kind::BadWord;
    QTest::newRow("gain no number") << 5 << u"x"_s << 6 << Kind::BadNumber;
    QTest::newRow("gain exponent") << 5 << u"1e-3"_s << 0 << Kind::BadNumber;
    QTest::newRow("offset infinite") << 6 << u"1e999"_s << 7 << Kind::BadNumber;
    QTest::newRow("decimals 16") << 7 << u"16"_s << 8 << Kind::BadDecimals;
    QTest::newRow("texts on u16") << 8 << u"0=a"_s << 9 << Kind::TextsNotTaken;
}

void TestTagSheetEditor::cellCheckedAsTyped()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(int, faultColumn);
    QFETCH(Kind, kind);
    Editor e;
    const TagSheet sheet
        = *TagSheet::parse(SheetTitle + "*,0,A,,u16,,,,\r\n2,9,B,,u16,,,,\r\n").sheet;
    e.editor->setSheet(sheet, {});
    e.type(1, column, typed);
    for (int c = 0; c < TagSheet::ColumnCount; ++c) {
        const QTableWidgetItem *item = e.table()->item(1, c);
        QCOMPARE(item->background() != QBrush(), c + 1 == faultColumn);
        QCOMPARE(item->toolTip().isEmpty(), c + 1 != faultColumn);
    }
    if (faultColumn == 0) {
        QCOMPARE(e.faultLine(), QString());
        QVERIFY(e.editor->sheet());
        return;
    }
    const std::optional<TagSheetFault> fault = e.editor->firstFault();
    QVERIFY(fault);
    QCOMPARE(fault->kind, kind);
    QCOMPARE(fault->line, 3); // as the row would stand in the file
    QCOMPARE(fault->column, faultColumn);
    // The reason the sheet's reader gives, in the tooltip and under the table.
    QCOMPARE(e.table()->item(1, faultColumn - 1)->toolTip(), fault->message(Language::English));
    QVERIFY2(e.faultLine().startsWith(u"Line 3, column %1"_s.arg(faultColumn)),
             qPrintable(e.faultLine()));
    QVERIFY(!e.editor->sheet());
    // Put right, the mark goes.
    e.type(1, column, column == 4 ? u"u16"_s : TagSheet::fieldsOf(sheet.tags[1])[column]);
    if (column == 4)
        e.type(1, 1, u"9"_s);
    QCOMPARE(e.faultLine(), QString());
    QCOMPARE(e.table()->item(1, faultColumn - 1)->toolTip(), QString());
}

void TestTagSheetEditor::rowsAddedMovedRemoved()
{
    Editor e;
    e.editor->setSheet(*TagSheet::parse(SheetTitle + "3,0,A,,u16,,,,\r\n*,1,B,,u16,,,,\r\n").sheet,
                       {});
    e.table()->setCurrentCell(0, 0);
    e.editor->addRow();
    // A new row after the current one, in its buffer, waiting for its name.
    QCOMPARE(e.table()->rowCount(), 3);
    QCOMPARE(e.table()->item(1, 0)->text(), u"3"_s);
    QVERIFY(e.faultLine().startsWith(u"Line 3, column 3"_s));
    e.type(1, 2, u"New"_s);
    e.type(1, 1, u"5"_s);
    QCOMPARE(e.faultLine(), QString());
    e.editor->moveRowDown();
    e.editor->moveRowDown(); // already last: stays
    QCOMPARE(e.table()->currentRow(), 2);
    e.table()->setCurrentCell(0, 0);
    e.editor->moveRowUp(); // already first: stays
    e.editor->removeRow();
    const std::optional<TagSheet> sheet = e.editor->sheet();
    QVERIFY(sheet);
    QCOMPARE(sheet->tags.size(), 2);
    QCOMPARE(sheet->tags[0].name, u"B"_s);
    QCOMPARE(sheet->tags[1].name, u"New"_s);
    QCOMPARE(sheet->tags[1].buffer, 3);
    QCOMPARE(sheet->tags[1].word, 5);
}

void TestTagSheetEditor::faultySheetNotSaved()
{
    Editor e;
    e.editor->addRow(); // no name yet
    e.saveName = path(u"out.csv"_s);
    QVERIFY(!e.editor->save());
    QCOMPARE(e.sink.lines().size(), 1);
    QVERIFY2(e.sink.lines()[0].contains(u"Line 2, column 3"_s), qPrintable(e.sink.lines()[0]));
    QVERIFY(!QFile::exists(path(u"out.csv"_s)));
}

void TestTagSheetEditor::failedSaveReported_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("browsed"); // the target is the file being browsed
    QTest::newRow("folder missing") << u"none/out.csv"_s << false;
    QTest::newRow("a folder") << u"folder"_s << false;
    QTest::newRow("the browsed file") << u"Data.bin"_s << true;
}

void TestTagSheetEditor::failedSaveReported()
{
    QFETCH(QString, target);
    QFETCH(bool, browsed);
    QVERIFY(QDir(m_dir->path()).mkdir(u"folder"_s));
    const QByteArray data = dataFile({});
    QVERIFY(writeFile(path(u"Data.bin"_s), data));
    Editor e;
    if (browsed)
        e.browsed = path(u"Data.bin"_s);
    e.editor->setSheet(everyType(), path(target));
    QSignalSpy saved(e.editor.get(), &TagSheetEditor::saved);
    QVERIFY(!e.editor->save());
    QCOMPARE(saved.size(), 0);
    QCOMPARE(e.sink.lines().size(), 1);
    QVERIFY2(e.sink.lines()[0].startsWith(u"Norvale: The tag sheet could not be saved: "_s),
             qPrintable(e.sink.lines()[0]));
    QCOMPARE(readFile(path(u"Data.bin"_s)), data);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList {u"Data.bin"_s});
}

void TestTagSheetEditor::savingTheSheetInUseAppliesIt()
{
    QVERIFY(
        writeFile(path(u"Data.bin"_s), dataFile({DataRecord {}, DataRecord {}, DataRecord {}})));
    QVERIFY(writeFile(path(u"tags.csv"_s), SheetTitle + "*,0,Pressure,bar,u16,,,,\r\n"));
    MessageRecorder sink;
    PickedFile chooser;
    MainWindowServices services;
    services.messages = &sink;
    services.files = &chooser;
    MainWindow main(services);
    main.switchToEnglish();
    main.openFile(path(u"Data.bin"_s));
    QVERIFY(main.useTagSheet(path(u"tags.csv"_s)));
    QCOMPARE(main.grid().cell(3, 0), u"Pressure [bar]"_s);

    main.findChild<QAction *>(u"EditTagSheet"_s)->trigger();
    TagSheetEditor *editor = main.tagSheets()->editor();
    QVERIFY(editor);
    QCOMPARE(editor->path(), QFileInfo(path(u"tags.csv"_s)).absoluteFilePath());
    editor->table()->item(0, 2)->setText(u"Level"_s);
    editor->table()->item(0, 3)->setText(u"m"_s);
    QVERIFY(editor->save());
    QCOMPARE(main.grid().cell(3, 0), u"Level [m]"_s);
    QVERIFY(sink.lines().isEmpty());
}

// How the editor is left: its Close, the window's close, Escape, or Open of
// another sheet.
enum class Leave { CloseButton, WindowClose, Escape, Open };
Q_DECLARE_METATYPE(Leave)

void TestTagSheetEditor::unsavedChangesAsked_data()
{
    QTest::addColumn<Leave>("leave");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<SaveAnswer>("answer");
    QTest::addColumn<bool>("saveFails"); // the sheet's own file may not be written
    QTest::addColumn<bool>("left"); // closed, or the other sheet opened
    QTest::addColumn<QString>("inFile"); // the name in the sheet's file afterwards
    QTest::addColumn<QString>("inTable"); // the first name in the table afterwards

    const struct
    {
        const char *name;
        Leave leave;
        bool opens;
    } ways[] = {{"close button", Leave::CloseButton, false},
                {"window close", Leave::WindowClose, false},
                {"escape", Leave::Escape, false},
                {"open", Leave::Open, true}};
    for (const auto &way : ways) {
        const auto row = [&](const char *what) -> QTestData & {
            return QTest::newRow(qPrintable(QLatin1String(way.name) + u' ' + QLatin1String(what)));
        };
        const QString other = u"Other"_s;
        // Left without a question when nothing changed.
        row("unchanged") << way.leave << false << SaveAnswer::Cancel << false << true << u"Speed"_s
                         << (way.opens ? other : u"Speed"_s);
        row("save") << way.leave << true << SaveAnswer::Save << false << true << u"Changed"_s
                    << (way.opens ? other : u"Changed"_s);
        // A save that fails keeps the editor and its changes.
        row("save fails") << way.leave << true << SaveAnswer::Save << true << false << u"Speed"_s
                          << u"Changed"_s;
        // Discarded changes are gone: the table shows the file again.
        row("discard") << way.leave << true << SaveAnswer::Discard << false << true << u"Speed"_s
                       << (way.opens ? other : u"Speed"_s);
        row("cancel") << way.leave << true << SaveAnswer::Cancel << false << false << u"Speed"_s
                      << u"Changed"_s;
    }
}

void TestTagSheetEditor::unsavedChangesAsked()
{
    QFETCH(Leave, leave);
    QFETCH(bool, changed);
    QFETCH(SaveAnswer, answer);
    QFETCH(bool, saveFails);
    QFETCH(bool, left);
    QFETCH(QString, inFile);
    QFETCH(QString, inTable);
    const QString sheetFile = path(u"tags.csv"_s);
    QVERIFY(writeFile(sheetFile, SheetTitle + "*,0,Speed,rpm,u16,,,,\r\n"));
    QVERIFY(writeFile(path(u"other.csv"_s), SheetTitle + "*,1,Other,,u16,,,,\r\n"));
    Editor e;
    QVERIFY(e.editor->openSheet(sheetFile));
    e.editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.editor.get()));
    QVERIFY(!e.editor->hasUnsavedChanges());
    if (changed)
        e.type(0, 2, u"Changed"_s);
    QCOMPARE(e.editor->hasUnsavedChanges(), changed);
    // The sheet's own file taken for the browsed one: the safe output refuses it.
    if (saveFails)
        e.browsed = sheetFile;
    e.sink.answers = {answer};
    e.openName = path(u"other.csv"_s);

    switch (leave) {
    case Leave::CloseButton:
        e.editor->findChild<QPushButton *>(u"closeButton"_s)->click();
        break;
    case Leave::WindowClose:
        QCOMPARE(e.editor->close(), left);
        break;
    case Leave::Escape:
        QTest::keyClick(e.editor.get(), Qt::Key_Escape);
        break;
    case Leave::Open:
        e.editor->findChild<QPushButton *>(u"openButton"_s)->click();
        break;
    }

    QCOMPARE(e.sink.questions.size(), changed ? 1 : 0);
    if (changed) {
        QCOMPARE(e.sink.questionOwners.constFirst(), e.editor.get());
        QCOMPARE(e.sink.questions.constFirst().text, u"The tag sheet has changed. Save it?"_s);
    }
    if (leave == Leave::Open) {
        QVERIFY(e.editor->isVisible());
        QCOMPARE(e.editor->path(),
                 QFileInfo(left ? path(u"other.csv"_s) : sheetFile).absoluteFilePath());
    } else {
        QCOMPARE(e.editor->isVisible(), !left);
    }
    QCOMPARE(e.table()->item(0, 2)->text(), inTable);
    QCOMPARE(TagSheet::read(sheetFile).sheet->tags.constFirst().name, inFile);
    QCOMPARE(e.editor->hasUnsavedChanges(), inTable == u"Changed"_s && !left);
    // Only the failed save says something.
    QCOMPARE(e.sink.lines().size(), saveFails ? 1 : 0);
    if (saveFails)
        QVERIFY(e.sink.lines()[0].startsWith(u"Norvale: The tag sheet could not be saved: "_s));
}

void TestTagSheetEditor::questionInTheLanguageShown_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QStringList>("texts"); // caption, question, save, discard, cancel
    QTest::newRow("Chinese") << Language::Chinese
                             << QStringList {u"Norvale"_s, u"位号表已修改，是否保存？"_s, u"保存"_s,
                                             u"不保存"_s, u"取消"_s};
    QTest::newRow("English") << Language::English
                             << QStringList {u"Norvale"_s, u"The tag sheet has changed. Save it?"_s,
                                             u"Save"_s, u"Discard"_s, u"Cancel"_s};
}

void TestTagSheetEditor::questionInTheLanguageShown()
{
    QFETCH(Language, language);
    QFETCH(QStringList, texts);
    Editor e;
    e.editor->setLanguage(language);
    e.editor->show();
    e.editor->addRow();
    e.sink.answers = {SaveAnswer::Cancel};
    QVERIFY(!e.editor->close());
    QCOMPARE(e.sink.questions.size(), 1);
    const SaveQuestion &asked = e.sink.questions.constFirst();
    QCOMPARE((QStringList {asked.caption, asked.text, asked.save, asked.discard, asked.cancel}),
             texts);
}

void TestTagSheetEditor::mainWindowClosingAsks_data()
{
    QTest::addColumn<SaveAnswer>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("inFile");
    QTest::newRow("save") << SaveAnswer::Save << true << u"Level"_s;
    QTest::newRow("discard") << SaveAnswer::Discard << true << u"Pressure"_s;
    QTest::newRow("cancel") << SaveAnswer::Cancel << false << u"Pressure"_s;
}

// The program ends with the main window: the editor's changes are asked
// about first, and Cancel keeps both windows.
void TestTagSheetEditor::mainWindowClosingAsks()
{
    QFETCH(SaveAnswer, answer);
    QFETCH(bool, closes);
    QFETCH(QString, inFile);
    QVERIFY(writeFile(path(u"Data.bin"_s), dataFile({DataRecord {}})));
    QVERIFY(writeFile(path(u"tags.csv"_s), SheetTitle + "*,0,Pressure,bar,u16,,,,\r\n"));
    MessageRecorder sink;
    PickedFile chooser;
    MainWindowServices services;
    services.messages = &sink;
    services.files = &chooser;
    MainWindow main(services);
    main.switchToEnglish();
    main.show();
    main.openFile(path(u"Data.bin"_s));
    QVERIFY(main.useTagSheet(path(u"tags.csv"_s)));
    main.findChild<QAction *>(u"EditTagSheet"_s)->trigger();
    TagSheetEditor *editor = main.tagSheets()->editor();
    QVERIFY(editor && editor->isVisible());
    editor->table()->item(0, 2)->setText(u"Level"_s);
    QSignalSpy closed(&main, &MainWindow::closed);
    sink.answers = {answer};
    QCOMPARE(main.close(), closes);
    QCOMPARE(sink.questions.size(), 1);
    QCOMPARE(closed.size(), closes ? 1 : 0);
    QCOMPARE(main.isVisible(), !closes);
    QCOMPARE(editor->isVisible(), !closes);
    QCOMPARE(TagSheet::read(path(u"tags.csv"_s)).sheet->tags.constFirst().name, inFile);
}

QTEST_MAIN(TestTagSheetEditor)
#include "tst_tagsheeteditor.moc"
