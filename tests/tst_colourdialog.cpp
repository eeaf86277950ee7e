// The colour dialog run modally for real: selection on showing, a palette
// click, "Custom..." through a fake standard chooser, and cancel.
#include "support/FakeColourChooser.h"
#include "widgets/ColourChooser.h"
#include "widgets/ColourDialog.h"
#include "widgets/ColourPalette.h"
#include "widgets/PaletteCells.h"

#include <QColorDialog>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

ColourPalette *paletteOf(ColourDialog &d)
{
    return d.findChild<ColourPalette *>(QStringLiteral("palette"));
}

QPushButton *button(ColourDialog &d, const char *name)
{
    return d.findChild<QPushButton *>(QLatin1String(name));
}

// Runs the dialog modally; act is called once it shows, and must close it.
int run(ColourDialog &d, const std::function<void()> &act)
{
    bool acted = false;
    QTimer::singleShot(0, &d, [&] {
        acted = true;
        if (d.isVisible())
            act();
        if (d.isVisible())
            d.done(-1); // the action left it open
    });
    const int result = d.exec();
    if (!acted)
        qFatal("the dialog never showed");
    return result;
}

void clickCell(ColourDialog &d, int cell)
{
    QTest::mouseClick(paletteOf(d), Qt::LeftButton, {}, PaletteCells::rect(cell).center());
}

} // namespace

class TestColourDialog : public QObject
{
    Q_OBJECT
private slots:
    void showingSelectsFirstMatch_data();
    void showingSelectsFirstMatch();
    void paletteClickClosesWithItsColour_data();
    void paletteClickClosesWithItsColour();
    void releaseOverBorderKeepsDialogOpen();
    void customClosesWithOk_data();
    void customClosesWithOk();
    void cancelLeavesColour_data();
    void cancelLeavesColour();
    void otherKeysDoNothing();
    void standardChooserStartsWithWhiteCustomColours();
};

void TestColourDialog::showingSelectsFirstMatch_data()
{
    QTest::addColumn<uint>("start");
    QTest::addColumn<int>("selected");
    QTest::newRow("(0, 255, 0): Bright Green") << 0x00ff00u << 27;
    QTest::newRow("(108, 108, 108): none") << 0x6c6c6cu << -1;
    QTest::newRow("red in the low byte") << 0x0000ffu << 16;
    QTest::newRow("blue in the high byte") << 0xff0000u << 13;
    QTest::newRow("black") << 0u << 0;
    QTest::newRow("the platform's no colour") << 0x1fffffffu << -1;
}

void TestColourDialog::showingSelectsFirstMatch()
{
    QFETCH(uint, start);
    QFETCH(int, selected);
    ColourDialog d;
    int seen = -2;
    d.setColour(start);
    run(d, [&] {
        seen = paletteOf(d)->selectedCell();
        d.reject();
    });
    QCOMPARE(seen, selected);
    // A second showing selects again from the value then.
    d.setColour(0xffffff);
    run(d, [&] {
        seen = paletteOf(d)->selectedCell();
        d.reject();
    });
    QCOMPARE(seen, 39);
}

void TestColourDialog::paletteClickClosesWithItsColour_data()
{
    QTest::addColumn<uint>("start");
    QTest::addColumn<int>("cell");
    QTest::addColumn<uint>("chosen");
    QTest::newRow("Gray 50% from (108, 108, 108)") << 0x6c6c6cu << 15 << 0x808080u;
    QTest::newRow("Orange, red low") << 0u << 9 << 0x0066ffu;
    QTest::newRow("Sky Blue, blue high") << 0x00ff00u << 29 << 0xffcc00u;
}

void TestColourDialog::paletteClickClosesWithItsColour()
{
    QFETCH(uint, start);
    QFETCH(int, cell);
    QFETCH(uint, chosen);
    ColourDialog d;
    d.setColour(start);
    QCOMPARE(run(d, [&] { clickCell(d, cell); }), int(QDialog::Accepted));
    QCOMPARE(d.colour(), chosen);
    QVERIFY(!d.isVisible());
}

void TestColourDialog::releaseOverBorderKeepsDialogOpen()
{
    ColourDialog d;
    d.setColour(0x808080);
    bool openAfter = false;
    const int result = run(d, [&] {
        QTest::mouseClick(paletteOf(d), Qt::LeftButton, {}, QPoint(150, 96));
        openAfter = d.isVisible();
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    QVERIFY(openAfter);
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(d.colour(), 0x808080u);
}

void TestColourDialog::customClosesWithOk_data()
{
    QTest::addColumn<uint>("start");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QColor>("answer");
    QTest::addColumn<uint>("chosen");
    QTest::newRow("chooser cancelled keeps the start")
        << 0x123456u << false << QColor() << 0x123456u;
    QTest::newRow("confirmed colour, red low") << 0u << true << QColor(1, 2, 3) << 0x030201u;
    QTest::newRow("confirmed white") << 0x0000ffu << true << QColor(255, 255, 255) << 0xffffffu;
}

void TestColourDialog::customClosesWithOk()
{
    QFETCH(uint, start);
    QFETCH(bool, confirm);
    QFETCH(QColor, answer);
    QFETCH(uint, chosen);
    ColourDialog d;
    FakeColourChooser fake;
    if (confirm)
        fake.answer = answer;
    d.setColourChooser(&fake);
    d.setColour(start);
    QCOMPARE(run(d, [&] { QTest::mouseClick(button(d, "customButton"), Qt::LeftButton); }),
             int(QDialog::Accepted));
    QCOMPARE(fake.runs, 1);
    QCOMPARE(fake.startedAt,
             QColor(int(start & 0xff), int(start >> 8 & 0xff), int(start >> 16 & 0xff)));
    QCOMPARE(fake.owner, &d);
    QCOMPARE(d.colour(), chosen);
}

void TestColourDialog::cancelLeavesColour_data()
{
    QTest::addColumn<bool>("escapeKey");
    QTest::newRow("ESC(&N) button") << false;
    QTest::newRow("Escape key") << true;
}

void TestColourDialog::cancelLeavesColour()
{
    QFETCH(bool, escapeKey);
    ColourDialog d;
    d.setColour(0x00ff00);
    const int result = run(d, [&] {
        // The cell under a press changes nothing until released over it.
        QTest::mousePress(paletteOf(d), Qt::LeftButton, {}, PaletteCells::rect(2).center());
        QTest::mouseMove(paletteOf(d), QPoint(200, 200));
        if (escapeKey)
            QTest::keyClick(&d, Qt::Key_Escape);
        else
            QTest::mouseClick(button(d, "cancelButton"), Qt::LeftButton);
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(d.colour(), 0x00ff00u);
}

void TestColourDialog::otherKeysDoNothing()
{
    ColourDialog d;
    d.setColour(0xff);
    bool openAfter = false;
    const int result = run(d, [&] {
        for (Qt::Key k : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_N, Qt::Key_C})
            QTest::keyClick(&d, k);
        openAfter = d.isVisible();
        d.reject();
    });
    QVERIFY(openAfter);
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(d.colour(), 0xffu);
}

void TestColourDialog::standardChooserStartsWithWhiteCustomColours()
{
    // Custom colours another program left in Qt's settings are not ours.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QFile conf(home.filePath(QStringLiteral("QtProject.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("[Qt]\ncustomColors\\0=4294901760\ncustomColors\\5=4278190335\n");
    conf.close();
    const QByteArray written = [&] {
        QFile f(conf.fileName());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    StandardColourChooser chooser;
    std::optional<QColor> result = QColor(1, 1, 1);
    QColor current;
    QList<QColor> custom;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        current = dialog->currentColor();
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            custom << QColorDialog::customColor(i);
        dialog->reject();
    });
    result = chooser.choose(nullptr, QColor(10, 20, 30));
    QVERIFY(!result.has_value());
    QCOMPARE(current, QColor(10, 20, 30));
    QCOMPARE(custom.size(), 16);
    for (const QColor &c : custom)
        QCOMPARE(c, QColor(Qt::white));

    // Confirming returns the chooser's colour.
    QTimer::singleShot(0, [&] {
        if (auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget())) {
            dialog->setCurrentColor(QColor(200, 100, 50));
            dialog->accept();
        }
    });
    result = chooser.choose(nullptr, QColor(0, 0, 0));
    QCOMPARE(result, std::optional<QColor>(QColor(200, 100, 50)));
    QFile after(conf.fileName());
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), written);
}

QTEST_MAIN(TestColourDialog)
#include "tst_colourdialog.moc"
