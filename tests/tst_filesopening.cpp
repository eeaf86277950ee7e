// Opening files other than through the open dialog: drag and drop onto the
// main window, and the recent files list of the pop-up menu.

#include "curvewindow/CurveWindow.h"
#include "mainwindow/FileDrop.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/RecentFiles.h"
#include "mainwindow/RecentFilesMenu.h"
#include "platform/MessageSink.h"
#include "platform/OptionsStore.h"
#include "support/LogFiles.h"
#include "support/MainWindowFixture.h"
#include "support/MessageRecorder.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

// The main window with the recent files menu read as a user sees it.
struct Window : MainWindowFixture
{
    using MainWindowFixture::MainWindowFixture;
    RecentFilesMenu *recent() const
    {
        return main->findChild<RecentFilesMenu *>(u"RecentFilesMenu"_s);
    }
    // The recent files menu's items as a user sees them when it opens.
    QStringList recentItems() const
    {
        RecentFilesMenu *menu = recent();
        emit menu->aboutToShow();
        QStringList items;
        for (const QAction *a : menu->actions()) {
            if (a->isSeparator())
                items << u"--"_s;
            else
                items << (a->isEnabled() ? QString() : u"(disabled) "_s) + a->text();
        }
        return items;
    }
    void switchLanguage(bool chinese)
    {
        main->findChild<QAction *>(chinese ? u"chineseAction"_s : u"englishAction"_s)->trigger();
    }
};

// Offers `urls` to the window as a drag and drops them; whether the drag was
// accepted, and whether the drop was.
struct DropResult
{
    bool dragAccepted = false;
    bool dropAccepted = false;
};

DropResult dragAndDrop(QWidget *window, const QList<QUrl> &urls, const QString &text = {})
{
    QMimeData data;
    if (!urls.isEmpty())
        data.setUrls(urls);
    if (!text.isEmpty())
        data.setText(text);
    const QPoint at = window->rect().center();
    DropResult result;
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    result.dragAccepted = enter.isAccepted();
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    result.dropAccepted = drop.isAccepted();
    QCoreApplication::processEvents();
    return result;
}

} // namespace

class TestFilesOpening : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void dropOnMainWindow_data();
    void dropOnMainWindow();
    void dropWhileCurveWindowIsOpen();
    void dropsAnywhereReachMainWindow();

    void openDialogFilters_data();
    void openDialogFilters();
    void recentList_data();
    void recentList();
    void recentMenuShowsFullPathsAndDisablesMissing();
    void recentItemOpensAsOpenDoes();
    void recentMenuFollowsLanguage();
    void clearListEmptiesMenuAndStore();
    void recentFilesKeptAcrossRestart();
    void recentFilesNeverCreateOptionsKey();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString file(const QString &name, const QByteArray &bytes) const
    {
        const QString p = path(name);
        return writeFile(p, bytes) ? p : QString();
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFilesOpening::initTestCase()
{
    // The open dialog keeps its history in the user's settings: not the real ones.
    QStandardPaths::setTestModeEnabled(true);
}

void TestFilesOpening::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFilesOpening::dropOnMainWindow_data()
{
    QTest::addColumn<QStringList>("offered"); // file names, or a URL with "://"
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("opened"); // empty: nothing opened

    QTest::newRow("one local file") << QStringList {u"a.bin"_s} << true << u"a.bin"_s;
    QTest::newRow("several files: the first")
        << QStringList {u"b.bin"_s, u"a.bin"_s} << true << u"b.bin"_s;
    QTest::newRow("URL that is not a local file")
        << QStringList {u"https://example.com/a.bin"_s} << false << QString();
    QTest::newRow("first of several not local")
        << QStringList {u"sftp://host/a.bin"_s, u"a.bin"_s} << false << QString();
    QTest::newRow("folder") << QStringList {u"folder"_s} << false << QString();
    QTest::newRow("text, no URL") << QStringList {} << false << QString();
}

void TestFilesOpening::dropOnMainWindow()
{
    QFETCH(QStringList, offered);
    QFETCH(bool, accepted);
    QFETCH(QString, opened);

    QVERIFY(!file(u"a.bin"_s, dataFile(3)).isEmpty());
    QVERIFY(!file(u"b.bin"_s, dataFile(5)).isEmpty());
    QVERIFY(QDir(m_dir->path()).mkdir(u"folder"_s));
    QList<QUrl> urls;
    for (const QString &o : offered)
        urls << (o.contains(u"://"_s) ? QUrl(o) : QUrl::fromLocalFile(path(o)));

    Window w;
    w.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.main.get()));
    const QString titleBefore = w.main->windowTitle();
    const DropResult result = dragAndDrop(w.main.get(), urls, u"a.bin"_s);
    QCOMPARE(result.dragAccepted, accepted);
    QCOMPARE(result.dropAccepted, accepted);
    if (opened.isEmpty()) {
        QTest::qWait(20);
        QCOMPARE(w.main->openFileName(), QString());
        QCOMPARE(w.main->windowTitle(), titleBefore);
        QCOMPARE(w.main->grid().recordCount(), 0);
        QCOMPARE(w.recent()->list().files(), QStringList());
        return;
    }
    // Opened as the Open button opens a chosen file: title, grid, recent list.
    QTRY_COMPARE(w.main->openFileName(), path(opened));
    QVERIFY(w.main->windowTitle().endsWith(u" -[ "_s + path(opened) + u" ]"_s));
    QCOMPARE(w.main->grid().recordCount(), opened == u"a.bin"_s ? 3 : 5);
    QCOMPARE(w.recent()->list().files(), QStringList {path(opened)});
    QCOMPARE(w.sink.lines(), QStringList());
}

void TestFilesOpening::dropWhileCurveWindowIsOpen()
{
    QVERIFY(!file(u"a.bin"_s, dataFile(3)).isEmpty());
    QVERIFY(!file(u"b.bin"_s, dataFile(7)).isEmpty());
    Window w;
    CurveWindow curves(*w.main);
    QObject::connect(w.main.get(), &MainWindow::curvesRequested, &curves,
                     &CurveWindow::showAndRaise);
    w.main->show();
    w.chooser.file = path(u"a.bin"_s);
    w.main->openFromDialog();
    w.main->showCurves();
    QVERIFY(curves.isVisible());

    const DropResult result = dragAndDrop(w.main.get(), {QUrl::fromLocalFile(path(u"b.bin"_s))});
    QVERIFY(result.dropAccepted);
    QTRY_COMPARE(w.main->grid().recordCount(), 7);
    QCOMPARE(w.main->openFileName(), path(u"b.bin"_s));
    QVERIFY(curves.isVisible());
}

void TestFilesOpening::dropsAnywhereReachMainWindow()
{
    // A drag goes to the nearest widget that takes drops: no control of the
    // window may take it before the window does.
    Window w;
    w.main->show();
    QVERIFY(w.main->acceptDrops());
    QStringList takers;
    for (const QWidget *child : w.main->findChildren<QWidget *>()) {
        if (child->acceptDrops())
            takers << QString::fromLatin1(child->metaObject()->className()) + u' '
                    + child->objectName();
    }
    QCOMPARE(takers, QStringList());
}

void TestFilesOpening::openDialogFilters_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QStringList>("filters");
    QTest::newRow("Chinese") << true
                             << QStringList {u"db (*.db)"_s, u"bin (*.bin)"_s, u"所有文件 (*)"_s};
    QTest::newRow("English") << false
                             << QStringList {u"db (*.db)"_s, u"bin (*.bin)"_s, u"All files (*)"_s};
}

void TestFilesOpening::openDialogFilters()
{
    QFETCH(bool, chinese);
    QFETCH(QStringList, filters);
    // The window's own open dialog, read while it is up and then cancelled.
    MessageRecorder sink;
    MainWindowServices services;
    services.messages = &sink;
    MainWindow main(services);
    main.show();
    main.findChild<QAction *>(chinese ? u"chineseAction"_s : u"englishAction"_s)->trigger();
    QStringList seen;
    QString selected;
    QTimer::singleShot(0, &main, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = dialog->nameFilters();
        selected = dialog->selectedNameFilter();
        dialog->reject();
    });
    main.openFromDialog();
    QCOMPARE(seen, filters);
    QCOMPARE(selected, filters.constFirst());
    QCOMPARE(main.openFileName(), QString());
}

void TestFilesOpening::recentList_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("newest first") << QStringList {} << QStringList {u"/a"_s, u"/b"_s, u"/c"_s}
                                  << QStringList {u"/c"_s, u"/b"_s, u"/a"_s};
    QTest::newRow("reopened moves to the top")
        << QStringList {} << QStringList {u"/a"_s, u"/b"_s, u"/c"_s, u"/a"_s}
        << QStringList {u"/a"_s, u"/c"_s, u"/b"_s};
    QTest::newRow("reopened newest stays once")
        << QStringList {u"/a"_s} << QStringList {u"/a"_s} << QStringList {u"/a"_s};
    QStringList nine;
    for (int i = 1; i <= 9; ++i)
        nine << u"/f%1"_s.arg(i);
    QStringList newestEight;
    for (int i = 9; i >= 2; --i)
        newestEight << u"/f%1"_s.arg(i);
    QTest::newRow("at most 8, the oldest dropped") << QStringList {} << nine << newestEight;
    QTest::newRow("stored list cleaned") << QStringList {u"/a"_s, QString(), u"/b"_s, u"/a"_s}
                                         << QStringList {} << QStringList {u"/a"_s, u"/b"_s};
    QTest::newRow("stored list too long") << nine << QStringList {} << nine.mid(0, 8);
    QTest::newRow("newest before stored")
        << QStringList {u"/a"_s, u"/b"_s} << QStringList {u"/b"_s, u"/c"_s}
        << QStringList {u"/c"_s, u"/b"_s, u"/a"_s};
}

void TestFilesOpening::recentList()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, opened);
    QFETCH(QStringList, expected);
    RecentFiles list(stored);
    for (const QString &f : opened)
        list.add(f);
    QCOMPARE(list.files(), expected);
}

void TestFilesOpening::recentMenuShowsFullPathsAndDisablesMissing()
{
    const QString a = file(u"a.bin"_s, dataFile(2));
    const QString gone = file(u"R&D gone.bin"_s, dataFile(2));
    Window w;
    w.main->openFile(gone);
    w.main->openFile(a);
    QVERIFY(QFile::remove(gone));
    QCOMPARE(
        w.recentItems(),
        (QStringList {QDir::toNativeSeparators(a),
                      u"(disabled) "_s + QDir::toNativeSeparators(gone).replace(u"&"_s, u"&&"_s),
                      u"--"_s, u"清除列表"_s}));
}

void TestFilesOpening::recentItemOpensAsOpenDoes()
{
    const QString a = file(u"a.bin"_s, dataFile(2));
    const QString b = file(u"b.bin"_s, dataFile(4));
    Window w;
    w.main->openFile(a);
    w.main->openFile(b);
    emit w.recent()->aboutToShow();
    const QList<QAction *> items = w.recent()->actions();
    QCOMPARE(items.at(1)->text(), QDir::toNativeSeparators(a));
    items.at(1)->trigger();
    QCOMPARE(w.main->openFileName(), a);
    QCOMPARE(w.main->grid().recordCount(), 2);
    QCOMPARE(w.recent()->list().files(), (QStringList {a, b}));
}

void TestFilesOpening::recentMenuFollowsLanguage()
{
    Window w;
    w.main->show();
    QMenu *popup = w.main->findChild<QMenu *>(u"popupMenu"_s);
    QVERIFY(popup);
    // Above Exit, below Dynamic Load.
    const QList<QAction *> items = popup->actions();
    const qsizetype exit = items.indexOf(w.main->findChild<QAction *>(u"exitAction"_s));
    QCOMPARE(items.at(exit - 1), w.recent()->menuAction());
    QVERIFY(items.indexOf(w.main->findChild<QAction *>(u"dynamicLoadAction"_s)) < exit - 1);

    w.switchLanguage(false);
    QCOMPARE(w.recent()->title(), u"Recent Files(&R)"_s);
    QCOMPARE(w.recentItems(), (QStringList {u"--"_s, u"(disabled) Clear List"_s}));
    w.switchLanguage(true);
    QCOMPARE(w.recent()->title(), u"最近打开的文件(&R)"_s);
    QCOMPARE(w.recentItems(), (QStringList {u"--"_s, u"(disabled) 清除列表"_s}));
}

void TestFilesOpening::clearListEmptiesMenuAndStore()
{
    const QString ini = path(u"options/Norvale.conf"_s);
    OptionsStore store(ini);
    QVERIFY(store.createKey());
    const QString a = file(u"a.bin"_s, dataFile(2));
    Window w(&store);
    w.main->openFile(a);
    QCOMPARE(store.readList(RecentFilesMenu::StoreKey), QStringList {a});
    emit w.recent()->aboutToShow();
    QAction *clear = w.recent()->actions().constLast();
    QCOMPARE(clear->objectName(), u"ClearRecentFiles"_s);
    clear->trigger();
    QCOMPARE(w.recentItems(), (QStringList {u"--"_s, u"(disabled) 清除列表"_s}));
    QCOMPARE(store.readList(RecentFilesMenu::StoreKey), QStringList());
}

void TestFilesOpening::recentFilesKeptAcrossRestart()
{
    const QString ini = path(u"options/Norvale.conf"_s);
    QStringList files;
    for (int i = 0; i < 10; ++i)
        files << file(u"f%1.bin"_s.arg(i), dataFile(1));
    {
        OptionsStore store(ini);
        Window w(&store);
        for (const QString &f : std::as_const(files))
            w.main->openFile(f);
        w.main->openFile(files.at(4));
        w.switchLanguage(false);
        w.main->close();
    }
    OptionsStore store(ini);
    Window again(&store);
    QStringList expected {files.at(4), files.at(9), files.at(8), files.at(7),
                          files.at(6), files.at(5), files.at(3), files.at(2)};
    QCOMPARE(again.recent()->list().files(), expected);
    // The two options are where they were, beside the list.
    QCOMPARE(store.readInteger(u"N2"_s), std::optional<qint64>(0));
    QCOMPARE(store.readInteger(u"N7"_s), std::optional<qint64>(0));
    QSettings raw(ini, QSettings::IniFormat);
    QCOMPARE(raw.childGroups(), QStringList {RecentFilesMenu::StoreKey});
}

void TestFilesOpening::recentFilesNeverCreateOptionsKey()
{
    const QString ini = path(u"options/Norvale.conf"_s);
    OptionsStore store(ini);
    store.writeList(RecentFilesMenu::StoreKey, {u"/a"_s});
    QVERIFY(!store.keyExists());
    QCOMPARE(store.readList(RecentFilesMenu::StoreKey), QStringList());
}

QTEST_MAIN(TestFilesOpening)
#include "tst_filesopening.moc"
