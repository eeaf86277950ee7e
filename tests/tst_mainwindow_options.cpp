// What the main window starts with, and the options it reads at start and
// writes on closing.

#include "platform/OptionsStore.h"
#include "support/MainWindowFixture.h"

#include <QSettings>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

using Window = MainWindowFixture;

} // namespace

class TestMainWindowOptions : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void startsWithToolbarInPlace_data();
    void startsWithToolbarInPlace();
    void optionsAtStart_data();
    void optionsAtStart();
    void closingWritesOptions_data();
    void closingWritesOptions();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMainWindowOptions::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMainWindowOptions::startsWithToolbarInPlace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::newRow("menu button") << u"menuButton"_s << QRect(3, 5, 16, 27) << QString();
    QTest::newRow("open") << u"openButton"_s << QRect(23, 4, 78, 28) << u"打开"_s;
    QTest::newRow("clear") << u"clearButton"_s << QRect(106, 4, 75, 28) << u"清除"_s;
    QTest::newRow("count") << u"recordCountButton"_s << QRect(187, 4, 156, 28) << u"数据条数:0"_s;
    QTest::newRow("export") << u"exportButton"_s << QRect(620, 4, 118, 28) << u"导出Excel"_s;
    QTest::newRow("curve") << u"curvesButton"_s << QRect(742, 4, 118, 28) << u"输出曲线"_s;
}

void TestMainWindowOptions::startsWithToolbarInPlace()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    Window w;
    w.main->show();
    auto *control = w.main->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    if (auto *button = qobject_cast<QPushButton *>(control))
        QCOMPARE(button->text(), caption);
    QCOMPARE(w.main->windowTitle(), u"HMI 数据库浏览器 V1.66"_s);
    QVERIFY(!w.buffers()->isEnabled());
    QVERIFY(!w.formats()->isEnabled());
    QCOMPARE(w.buffers()->count(), 12);
    QCOMPARE(w.buffers()->itemText(11), u"记录#12"_s);
    QCOMPARE(w.formats()->count(), 5);
    QCOMPARE(w.formats()->itemText(4), u"32bit Float"_s);
    QCOMPARE(shape(w.main->grid()), emptyGridText());
    QVERIFY(w.sink.messages.isEmpty());
}

void TestMainWindowOptions::optionsAtStart_data()
{
    QTest::addColumn<QByteArray>("ini"); // null: no store file; "-": store cannot be created
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<bool>("dynamic");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("storeExistsAfter");

    QTest::newRow("first start: store created, defaults")
        << QByteArray() << true << false << QStringList {} << true;
    QTest::newRow("N7 without N2: nothing applied")
        << QByteArray("[General]\nN7=1\n") << true << false << QStringList {} << true;
    QTest::newRow("N2=0, N7=5") << QByteArray("[General]\nN2=0\nN7=5\n") << false << true
                                << QStringList {} << true;
    QTest::newRow("N2=1, N7=0") << QByteArray("[General]\nN2=1\nN7=0\n") << true << false
                                << QStringList {} << true;
    QTest::newRow("N2 no integer: reading stops")
        << QByteArray("[General]\nN2=yes\nN7=1\n") << true << false << QStringList {} << true;
    QTest::newRow("N2 read, N7 no integer")
        << QByteArray("[General]\nN2=0\nN7=abc\n") << false << false << QStringList {} << true;
    QTest::newRow("empty store") << QByteArray("") << true << false << QStringList {} << true;
    QTest::newRow("store cannot be created")
        << QByteArray("-") << true << false << QStringList {u"Registry: CreateKey Fail！"_s}
        << false;
}

void TestMainWindowOptions::optionsAtStart()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, chinese);
    QFETCH(bool, dynamic);
    QFETCH(QStringList, messages);
    QFETCH(bool, storeExistsAfter);

    QString file = path(u"config/kt_Norvale/Norvale.conf"_s);
    if (ini == "-") {
        // A regular file where the folder should be: no folder can be made.
        QVERIFY(writeFile(path(u"config"_s), "not a folder"));
    } else if (!ini.isNull()) {
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QVERIFY(writeFile(file, ini));
    }
    OptionsStore store(file);
    Window w(&store);
    for (const RecordedMessage &m : std::as_const(w.sink.messages)) {
        QCOMPARE(m.icon, MessageIcon::Warning);
        QVERIFY(m.stayOnTop);
    }
    QCOMPARE(w.sink.take(), messages);
    w.main->show();
    QCOMPARE(w.main->language(), (chinese ? Language::Chinese : Language::English));
    QCOMPARE(w.action("chineseAction")->isChecked(), chinese);
    QCOMPARE(w.action("englishAction")->isChecked(), !chinese);
    QCOMPARE(w.action("dynamicLoadAction")->isChecked(), dynamic);
    QCOMPARE(w.child<QPushButton>("openButton")->text(), chinese ? u"打开"_s : u"Open"_s);
    QCOMPARE(w.child<QPushButton>("exportButton")->text(),
             chinese ? u"导出Excel"_s : u"ExportXLS"_s);
    QCOMPARE(w.count(), chinese ? u"数据条数:0"_s : u"Sum Data:0"_s);
    QCOMPARE(w.main->windowTitle(),
             chinese ? u"HMI 数据库浏览器 V1.66"_s : u"HMI Database Browser V1.66"_s);
    QCOMPARE(w.buffers()->itemText(0), chinese ? u"记录#1"_s : u"Reco#1"_s);
    QCOMPARE(QFileInfo(file).isFile(), storeExistsAfter);

    w.main->close();
    QCOMPARE(QFileInfo(file).isFile(), storeExistsAfter);
    if (storeExistsAfter) {
        QSettings written(file, QSettings::IniFormat);
        QCOMPARE(written.value(u"N2"_s).toInt(), chinese ? 1 : 0);
        QCOMPARE(written.value(u"N7"_s).toInt(), dynamic ? 1 : 0);
    }
}

void TestMainWindowOptions::closingWritesOptions_data()
{
    QTest::addColumn<bool>("throughMenu");
    QTest::addColumn<bool>("storeExists");
    QTest::newRow("menu Exit") << true << true;
    QTest::newRow("close box") << false << true;
    QTest::newRow("close box, store removed meanwhile") << false << false;
}

void TestMainWindowOptions::closingWritesOptions()
{
    QFETCH(bool, throughMenu);
    QFETCH(bool, storeExists);
    const QString file = path(u"Norvale.conf"_s);
    OptionsStore store(file);
    Window w(&store);
    QVERIFY(QFileInfo::exists(file));
    w.main->show();
    w.action("englishAction")->trigger(); // English
    QSignalSpy toggled(w.action("dynamicLoadAction"), &QAction::toggled);
    w.action("dynamicLoadAction")->trigger(); // Dynamic Load on
    QVERIFY(w.action("dynamicLoadAction")->isChecked());
    QCOMPARE(toggled.size(), 1);
    QCOMPARE(w.main->language(), Language::English);
    if (!storeExists)
        QVERIFY(QFile::remove(file));
    QSignalSpy closed(w.main.get(), &MainWindow::closed);
    if (throughMenu)
        w.action("exitAction")->trigger();
    else
        w.main->close();
    QCOMPARE(closed.size(), 1);
    QVERIFY(!w.main->isVisible());
    QCOMPARE(QFileInfo::exists(file), storeExists);
    if (storeExists) {
        QSettings written(file, QSettings::IniFormat);
        QCOMPARE(written.value(u"N2"_s).toString(), u"0"_s);
        QCOMPARE(written.value(u"N7"_s).toString(), u"1"_s);
        // The next start reads them back.
        OptionsStore again(file);
        Window next(&again);
        QCOMPARE(next.main->language(), Language::English);
        QVERIFY(next.action("dynamicLoadAction")->isChecked());
        QVERIFY(next.action("englishAction")->isChecked());
    }
    QVERIFY(w.sink.messages.isEmpty());
}

QTEST_MAIN(TestMainWindowOptions)
#include "tst_mainwindow_options.moc"
