// The main window's Save As and reload/follow controllers on their own,
// over a real log document, a real grid view and real files: what each one
// asks of the window it serves, and the view's place kept over a refill.
#include "document/LogDocument.h"
#include "export/Automation.h"
#include "mainwindow/FollowController.h"
#include "mainwindow/RecordGridView.h"
#include "mainwindow/SaveAsController.h"
#include "mainwindow/ViewPlace.h"
#include "platform/WorkProgress.h"
#include "support/LogFiles.h"
#include "support/PickedSave.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

// Stops the work at the first question.
class StopAtOnce : public WorkProgress
{
public:
    bool keepGoing(qint64) override { return false; }
};

// A window with a grid over an open binary data file, as the controllers
// find it in the main window.
struct Window
{
    QTemporaryDir dir;
    QString path;
    LogDocument document;
    QWidget window;
    QVBoxLayout *layout = new QVBoxLayout(&window);
    RecordGridView *view = new RecordGridView(&window);
    QProgressBar *gauge = new QProgressBar(&window);
    QMenu popup;
    QAction *last = popup.addAction(u"Exit"_s);

    bool open(int records)
    {
        path = dir.filePath(u"data.bin"_s);
        layout->addWidget(view);
        layout->addWidget(gauge);
        view->setRecordGrid(&document.grid());
        window.resize(600, 400);
        window.show();
        if (!writeFile(path, dataFile(records)))
            return false;
        return document.open(path).status == LogDocument::Status::Loaded
            && QTest::qWaitForWindowExposed(&window);
    }
};

int topRow(const RecordGridView &view)
{
    return view.rowAt(0);
}

int currentRow(const RecordGridView &view)
{
    return view.currentIndex().isValid() ? view.currentIndex().row() : -1;
}

} // namespace

class TestToolControllers : public QObject
{
    Q_OBJECT
private slots:
    void viewPlaceOverRefill_data();
    void viewPlaceOverRefill();
    void saveAs_data();
    void saveAs();
    void reload_data();
    void reload();
};

// Rows before and after the file is read again; the top row scrolled to
// (-1: the end) and the current row; then the top row expected (-1: the last
// row in sight) and the current row (-1: none).
void TestToolControllers::viewPlaceOverRefill_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("expectedTop");
    QTest::addColumn<int>("expectedCurrent");
    QTest::newRow("middle, file grew") << 200 << 300 << 50 << 60 << 50 << 60;
    QTest::newRow("middle, file shrank") << 200 << 120 << 50 << 60 << 50 << 60;
    QTest::newRow("current row gone") << 200 << 100 << 40 << 150 << 40 << -1;
    QTest::newRow("no current row") << 200 << 200 << 40 << -1 << 40 << -1;
    QTest::newRow("end follows growth") << 200 << 300 << -1 << 199 << -1 << 199;
    QTest::newRow("end follows shrinking") << 200 << 150 << -1 << 20 << -1 << 20;
}

void TestToolControllers::viewPlaceOverRefill()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(int, top);
    QFETCH(int, current);
    QFETCH(int, expectedTop);
    QFETCH(int, expectedCurrent);
    Window w;
    QVERIFY(w.open(before));
    RecordGridView &view = *w.view;
    if (current >= 0)
        view.setCurrentIndex(w.document.grid().index(current, 0));
    else
        view.selectionModel()->clearCurrentIndex();
    if (top < 0)
        view.scrollToBottom();
    else
        view.scrollTo(w.document.grid().index(top, 0), QAbstractItemView::PositionAtTop);
    QCOMPARE(topRow(view) >= 0, true);
    const ViewPlace place = ViewPlace::of(view, w.document.grid());
    QCOMPARE(place.atEnd, top < 0);

    QVERIFY(writeFile(w.path, dataFile(after)));
    QCOMPARE(w.document.reload().open.status, LogDocument::Status::Loaded);
    QCOMPARE(w.document.grid().rowCount(), after);
    place.restore(view, w.document.grid());

    if (expectedTop < 0)
        QCOMPARE(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    else
        QCOMPARE(topRow(view), expectedTop);
    QCOMPARE(currentRow(view), expectedCurrent);
}

// The target the chooser answers with (empty: cancelled) and its filter
// (0 workbook, 1 CSV), whether the work is stopped at once; then the file
// expected, whether the export ran, and the message's start (empty: none).
void TestToolControllers::saveAs_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("filter");
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<QString>("expectedFile");
    QTest::addColumn<bool>("exported");
    QTest::addColumn<QString>("messageStart");
    QTest::newRow("CSV gets its suffix")
        << u"out"_s << 1 << false << u"out.csv"_s << false << QString();
    QTest::newRow("workbook goes through the export")
        << u"book"_s << 0 << false << QString() << true << QString();
    QTest::newRow("cancelled") << QString() << 1 << false << QString() << false << QString();
    QTest::newRow("stopped leaves no file")
        << u"out.csv"_s << 1 << true << QString() << false << QString();
    QTest::newRow("folder missing says why")
        << u"missing/out.csv"_s << 1 << false << QString() << false << u"Save failed: "_s;
}

void TestToolControllers::saveAs()
{
    QFETCH(QString, chosen);
    QFETCH(int, filter);
    QFETCH(bool, stopped);
    QFETCH(QString, expectedFile);
    QFETCH(bool, exported);
    QFETCH(QString, messageStart);
    Window w;
    QVERIFY(w.open(600));
    QTemporaryDir out;
    PickedSave picked;
    picked.file = chosen.isEmpty() ? QString() : out.filePath(chosen);
    picked.filter = filter;

    StopAtOnce stop;
    WorkProgress *work = stopped ? &stop : nullptr;
    int saves = 0;
    int exports = 0;
    QStringList messages;
    SaveAsController::Host host;
    host.language = [] { return Language::English; };
    host.runSave = [&](const std::function<void()> &step) {
        ++saves;
        try {
            step();
        } catch (const WorkStopped &) {
            return false;
        }
        return true;
    };
    host.work = [&] { return work; };
    host.exportWith = [&](const SaveAsController::AutomationMaker &automation) {
        ++exports;
        QVERIFY(automation(w.path) != nullptr);
    };
    host.message = [&](const QString &text) { messages << text; };
    SaveAsController controller(w.document, &picked, std::move(host), &w.window);
    controller.install(&w.popup, w.last, w.gauge);
    QCOMPARE(w.popup.actions().indexOf(controller.action()), 0);
    QCOMPARE(controller.action()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));

    controller.action()->trigger();

    QCOMPARE(exports, exported ? 1 : 0);
    QCOMPARE(saves, chosen.isEmpty() || exported ? 0 : 1);
    QStringList expectedFiles;
    if (!expectedFile.isEmpty())
        expectedFiles << expectedFile;
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), expectedFiles);
    if (!expectedFile.isEmpty()) {
        const QByteArray csv = readFile(out.filePath(expectedFile));
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        // The title row and one line a record.
        QCOMPARE(csv.count('\n'), 601);
    }
    QCOMPARE(messages.size(), messageStart.isEmpty() ? 0 : 1);
    if (!messageStart.isEmpty()) {
        QVERIFY2(messages.first().startsWith(messageStart), qPrintable(messages.first()));
        QVERIFY(messages.first().size() > messageStart.size());
    }
}

// Whether the open file is there when Reload is pressed, and whether it
// grew; then the rows expected and whether the notice shows.
void TestToolControllers::reload_data()
{
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<int>("recordsThen");
    QTest::addColumn<int>("expectedRows");
    QTest::addColumn<bool>("noticeShown");
    QTest::newRow("read again") << true << 80 << 80 << false;
    QTest::newRow("gone keeps the rows") << false << 0 << 50 << true;
}

void TestToolControllers::reload()
{
    QFETCH(bool, fileThere);
    QFETCH(int, recordsThen);
    QFETCH(int, expectedRows);
    QFETCH(bool, noticeShown);
    Window w;
    QVERIFY(w.open(50));
    int reopened = 0;
    FollowController::Host host;
    host.language = [] { return Language::English; };
    host.busy = [] { return false; };
    const auto run = [](const std::function<void()> &step) {
        step();
        return true;
    };
    host.runLoad = run;
    host.runGrowth = run;
    host.reopen = [&] {
        ++reopened;
        w.document.reload();
    };
    host.message = [](const QString &) {};
    host.fileTooLarge = [](const LogDocument::Outcome &) {};
    host.countChanged = [] {};
    FollowController controller(w.document, nullptr, std::move(host), &w.window);
    controller.install(&w.popup, w.last, w.view, w.layout);
    QSignalSpy reloaded(&controller, &FollowController::gridReloaded);
    auto *notice = w.window.findChild<QLabel *>(u"FileGoneNotice"_s);
    QVERIFY(notice);
    QCOMPARE(w.layout->indexOf(notice), w.layout->indexOf(w.view) - 1);
    auto *reload = w.window.findChild<QAction *>(u"Reload"_s);
    QVERIFY(reload);
    QCOMPARE(reload->shortcut(), QKeySequence(Qt::Key_F5));
    QCOMPARE(controller.following(), false);

    if (fileThere)
        QVERIFY(writeFile(w.path, dataFile(recordsThen)));
    else
        QVERIFY(QFile::remove(w.path));
    reload->trigger();

    QCOMPARE(reopened, fileThere ? 1 : 0);
    QCOMPARE(reloaded.size(), fileThere ? 1 : 0);
    QCOMPARE(w.document.grid().rowCount(), expectedRows);
    QCOMPARE(notice->isVisibleTo(&w.window), noticeShown);
    if (noticeShown)
        QVERIFY(notice->text().startsWith(u"The file is gone"_s));
}

QTEST_MAIN(TestToolControllers)
#include "tst_toolcontrollers.moc"
