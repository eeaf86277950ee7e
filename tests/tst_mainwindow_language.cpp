// Switching the main window between Chinese and English, with a file open,
// and the captions fitting their controls in both.

#include "support/MainWindowFixture.h"

#include <QStyleOptionComboBox>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

using Window = MainWindowFixture;

} // namespace

class TestMainWindowLanguage : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void languageSwitchAfterOpening();
    void toolbarCaptionsFit_data();
    void toolbarCaptionsFit();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString recordDatabase() const { return recordDatabaseIn(*m_dir); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMainWindowLanguage::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestMainWindowLanguage::languageSwitchAfterOpening()
{
    const QString file = path(u"three.bin"_s);
    QVERIFY(writeFile(file, dataFile(3)));
    Window w;
    w.main->show();
    w.open(file);
    QCOMPARE(w.main->windowTitle(), u"HMI 数据库浏览器 V1.66 -[ "_s + file + u" ]"_s);
    QCOMPARE(w.count(), u"数据条数:3"_s);

    w.action("englishAction")->trigger();
    // The title keeps the file's path.
    QCOMPARE(w.main->windowTitle(), u"HMI Database Browser V1.66 -[ "_s + file + u" ]"_s);
    QCOMPARE(w.row(0), dataTitles(true, false)); // titles stay in the old language
    QCOMPARE(w.count(), u"Sum Data:3"_s);
    QCOMPARE(w.child<QPushButton>("openButton")->text(), u"Open"_s);
    QCOMPARE(w.child<QPushButton>("clearButton")->text(), u"Clear"_s);
    QCOMPARE(w.child<QPushButton>("exportButton")->text(), u"ExportXLS"_s);
    QCOMPARE(w.child<QPushButton>("curvesButton")->text(), u"OutCurve"_s);
    QCOMPARE(w.action("dynamicLoadAction")->text(), u"Dynamic Load(&D)"_s);
    QCOMPARE(w.action("exitAction")->text(), u"Exit(&E)"_s);
    QCOMPARE(w.action("chineseAction")->text(), u"中文(&C)"_s);
    QCOMPARE(w.action("englishAction")->text(), u"English(&E)"_s);
    QVERIFY(w.action("englishAction")->isChecked());
    QVERIFY(!w.action("chineseAction")->isChecked());

    // A database showing buffer 3: after the switch the list still names it.
    const QString database = recordDatabase();
    w.open(database);
    QVERIFY(w.pick(w.buffers(), 2));
    QCOMPARE(w.main->grid().rows(), 6);
    QVERIFY(w.sink.messages.isEmpty());
    w.action("chineseAction")->trigger();
    QCOMPARE(w.buffers()->currentIndex(), 2);
    QCOMPARE(w.buffers()->currentText(), u"记录#3"_s);
    QCOMPARE(w.buffers()->itemText(0), u"记录#1"_s);
    QCOMPARE(w.buffers()->count(), 12);
    QVERIFY(w.buffers()->isEnabled());
    QVERIFY(w.formats()->isEnabled());
    QCOMPARE(w.main->grid().rows(), 6); // nothing reloaded
    QCOMPARE(w.row(0), dataTitles(false, false));
    QCOMPARE(w.count(), u"数据条数:5"_s);
    QCOMPARE(w.main->windowTitle(), u"HMI 数据库浏览器 V1.66 -[ "_s + database + u" ]"_s);
    // Choosing the language already set applies it again.
    w.action("chineseAction")->trigger();
    QVERIFY(w.action("chineseAction")->isChecked());
    QCOMPARE(w.buffers()->currentText(), u"记录#3"_s);
    QCOMPARE(w.main->windowTitle(), u"HMI 数据库浏览器 V1.66 -[ "_s + database + u" ]"_s);
    QVERIFY(w.sink.messages.isEmpty());

    // F5 reads again the buffer the list and the grid show, in the new language.
    w.action("englishAction")->trigger();
    QCOMPARE(w.buffers()->currentText(), u"Reco#3"_s);
    w.action("Reload")->trigger();
    QVERIFY(w.sink.messages.isEmpty());
    QCOMPARE(w.buffers()->currentIndex(), 2);
    QCOMPARE(w.main->grid().rows(), 6);
    QCOMPARE(w.row(0), dataTitles(false, false));
    QCOMPARE(w.count(), u"Sum Data:5"_s);
    QCOMPARE(w.main->windowTitle(), u"HMI Database Browser V1.66 -[ "_s + database + u" ]"_s);
}

void TestMainWindowLanguage::toolbarCaptionsFit_data()
{
    QTest::addColumn<bool>("chinese");
    QTest::newRow("Chinese") << true;
    QTest::newRow("English") << false;
}

void TestMainWindowLanguage::toolbarCaptionsFit()
{
    QFETCH(bool, chinese);
    Window w;
    w.main->show();
    if (!chinese)
        w.action("englishAction")->trigger();
    QCOMPARE(w.main->language(), (chinese ? Language::Chinese : Language::English));
    w.open(recordDatabase());
    for (const QPushButton *button : w.main->findChildren<QPushButton *>()) {
        // Caption and picture inside the frame, with a little room each side.
        const int needed = button->fontMetrics().horizontalAdvance(button->text())
            + (button->icon().isNull() ? 0 : button->iconSize().width() + 4)
            + 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button)
            + 2 * 2;
        QVERIFY2(needed <= button->width(),
                 qPrintable(u"%1 needs %2"_s.arg(button->text()).arg(needed)));
    }
    for (const QComboBox *list : {w.buffers(), w.formats()}) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        for (int i = 0; i < list->count(); ++i)
            QVERIFY2(list->fontMetrics().horizontalAdvance(list->itemText(i)) <= field.width(),
                     qPrintable(list->itemText(i)));
    }
}

QTEST_MAIN(TestMainWindowLanguage)
#include "tst_mainwindow_language.moc"
