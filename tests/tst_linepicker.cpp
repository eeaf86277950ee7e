// The owner-drawn line pickers: real items painted into real bitmaps, in the
// list and in the closed box.
#include "curves/LineSamples.h"
#include "widgets/LinePickerDelegate.h"
#include "widgets/LinePickerItem.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionComboBox>
#include <QStyleOptionViewItem>
#include <QTest>

namespace {

const QColor Base(250, 250, 240);
const QColor Text(0, 0, 0);
const QColor Highlight(0, 0, 128);
const QColor HighlightText(255, 255, 0);
const QColor Outside(255, 0, 255);

QPalette pickerPalette()
{
    QPalette p;
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Base, Base);
        p.setColor(group, QPalette::Text, Text);
        p.setColor(group, QPalette::Highlight, Highlight);
        p.setColor(group, QPalette::HighlightedText, HighlightText);
    }
    return p;
}

QFont pureFont()
{
    QFont f;
    f.setPixelSize(14);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

// A picker as the curve window makes it: the samples as the items' icons.
void fill(QComboBox &box, bool styles)
{
    const QStringList texts = styles
        ? QStringList {QStringLiteral("Solid"),      QStringLiteral("Dash"),
                       QStringLiteral("Dot"),        QStringLiteral("DashDot"),
                       QStringLiteral("DashDotDot"), QStringLiteral("Clear"),
                       QStringLiteral("InsideFrame")}
        : QStringList {QStringLiteral("1p"), QStringLiteral("2p"), QStringLiteral("3p"),
                       QStringLiteral("4p"), QStringLiteral("5p"), QStringLiteral("6p")};
    for (int i = 0; i < texts.size(); ++i) {
        const QImage sample = styles ? LineSamples::styleSample(i) : LineSamples::widthSample(i);
        box.addItem(QIcon(QPixmap::fromImage(sample)), texts[i]);
    }
    box.setFont(pureFont());
    box.setPalette(pickerPalette());
}

bool regionIs(const QImage &img, const QRect &r, const QColor &c)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.pixelColor(x, y) != c)
                return false;
    return true;
}

int countOf(const QImage &img, const QRect &r, const QColor &c)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += img.pixelColor(x, y) == c;
    return n;
}

bool showsSample(const QImage &img, QPoint at, const QImage &sample)
{
    const QImage s = sample.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (img.pixel(at.x() + x, at.y() + y) != s.pixel(x, y))
                return false;
    return true;
}

QImage paintItem(QComboBox &box, int item, const QRect &rect, bool selected)
{
    QImage img(rect.right() + 20, rect.bottom() + 20, QImage::Format_RGB32);
    img.fill(Outside);
    QStyleOptionViewItem o;
    o.rect = rect;
    o.palette = pickerPalette();
    o.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
    QPainter p(&img);
    box.itemDelegate()->paint(&p, o, box.model()->index(item, 0));
    return img;
}

} // namespace

class TestLinePicker : public QObject
{
    Q_OBJECT
private slots:
    void itemPainting_data();
    void itemPainting();
    void pureRedShowsTheBrush_data();
    void pureRedShowsTheBrush();
    void closedClearItemShowsBlankPicture();
    void openListHighlightsSelectedRowKeepingWhiteSample();
};

void TestLinePicker::itemPainting_data()
{
    QTest::addColumn<bool>("styles");
    QTest::addColumn<int>("item");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<int>("textOffset");
    QTest::newRow("Solid") << true << 0 << false << 38;
    QTest::newRow("DashDot selected") << true << 3 << true << 38;
    QTest::newRow("Clear") << true << 5 << false << 38;
    QTest::newRow("InsideFrame selected") << true << 6 << true << 38;
    QTest::newRow("1p") << false << 0 << false << 78;
    QTest::newRow("6p selected") << false << 5 << true << 78;
}

void TestLinePicker::itemPainting()
{
    QFETCH(bool, styles);
    QFETCH(int, item);
    QFETCH(bool, selected);
    QFETCH(int, textOffset);
    QComboBox box;
    fill(box, styles);
    new LinePickerDelegate(&box);
    const QRect r(7, 11, 160, 20);
    const QImage img = paintItem(box, item, r, selected);
    const QImage sample = styles ? LineSamples::styleSample(item) : LineSamples::widthSample(item);
    const QColor brush = selected ? Highlight : Base;
    const QColor pen = selected ? HighlightText : Text;

    QCOMPARE(LinePickerItem::textOffset(sample), textOffset);
    // Nothing outside the item's rectangle.
    QVERIFY(regionIs(img, QRect(0, 0, img.width(), r.top()), Outside));
    QVERIFY(regionIs(img, QRect(0, r.bottom() + 1, img.width(), 19), Outside));
    QVERIFY(regionIs(img, QRect(r.right() + 1, 0, 19, img.height()), Outside));
    // The brush around the picture, the picture unscaled at (L + 2, T + 2).
    QVERIFY(regionIs(img, QRect(r.left(), r.top(), 2, 20), brush));
#ifdef Q_OS_WIN
    // The system's interface face may reach the row's top pixels with its text.
    QVERIFY(regionIs(img, QRect(r.left(), r.top(), textOffset, 2), brush));
#else
    QVERIFY(regionIs(img, QRect(r.left(), r.top(), r.width(), 2), brush));
#endif
    QVERIFY(regionIs(img, QRect(r.left(), r.top() + 18, textOffset, 2), brush));
    QVERIFY(showsSample(img, r.topLeft() + QPoint(2, 2), sample));
    QVERIFY(regionIs(img, QRect(r.left() + 2 + sample.width(), r.top(), 6, 20), brush));
    // The text starts at the offset, in the row's text colour.
    const QRect textArea(r.left() + textOffset, r.top(), r.width() - textOffset, 20);
    QVERIFY(countOf(img, textArea, pen) > 10);
    QVERIFY(countOf(img, textArea, brush) > 0);
    QCOMPARE(countOf(img, QRect(r.left(), r.top(), textOffset, 20), pen)
                 - (pen == Text ? countOf(sample, sample.rect(), Text) : 0),
             0);
}

void TestLinePicker::pureRedShowsTheBrush_data()
{
    QTest::addColumn<bool>("selected");
    QTest::newRow("list colours") << false;
    QTest::newRow("highlight") << true;
}

void TestLinePicker::pureRedShowsTheBrush()
{
    QFETCH(bool, selected);
    QImage picture(30, 16, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int x = 5; x < 15; ++x)
        for (int y = 4; y < 9; ++y)
            picture.setPixelColor(x, y, QColor(255, 0, 0));
    picture.setPixelColor(20, 8, QColor(254, 0, 0)); // not the transparent colour
    QComboBox box;
    box.setFont(pureFont());
    box.addItem(QIcon(QPixmap::fromImage(picture)), QStringLiteral("x"));
    new LinePickerDelegate(&box);
    const QRect r(0, 0, 120, 20);
    const QImage img = paintItem(box, 0, r, selected);
    const QColor brush = selected ? Highlight : Base;
    QVERIFY(regionIs(img, QRect(2 + 5, 2 + 4, 10, 5), brush));
    QCOMPARE(img.pixelColor(2 + 20, 2 + 8), QColor(254, 0, 0));
    QCOMPARE(img.pixelColor(2 + 0, 2 + 0), QColor(Qt::white));
}

void TestLinePicker::closedClearItemShowsBlankPicture()
{
    QComboBox box;
    fill(box, true);
    new LinePickerDelegate(&box);
    box.setCurrentIndex(5);
    box.resize(118, 23);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.clearFocus();
    const QImage img = box.grab().toImage().convertToFormat(QImage::Format_RGB32);

    QStyleOptionComboBox o;
    o.initFrom(&box);
    o.editable = false;
    o.frame = true;
    const QRect field
        = box.style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, &box);
    const QRect picture(field.left() + 2, field.top() + 2, 30, 16);
    const QRect visible = picture.intersected(field);
    QVERIFY(visible.height() >= 12);
    QVERIFY(regionIs(img, visible, Qt::white));
    // "Clear" is written beside it, in the list's text colour.
    const QRect text(field.left() + 38, field.top(), field.width() - 38, field.height());
    QVERIFY(countOf(img, text, Text) > 10);
    QVERIFY(countOf(img, QRect(field.left(), field.top(), 2, field.height()), Base) > 0);
}

void TestLinePicker::openListHighlightsSelectedRowKeepingWhiteSample()
{
    QComboBox box;
    fill(box, true);
    new LinePickerDelegate(&box);
    box.setCurrentIndex(2);
    box.resize(118, 23);
    box.show();
    box.showPopup();
    QAbstractItemView *view = box.view();
    QTRY_VERIFY(view->isVisible());
    const QImage img = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect row = view->visualRect(box.model()->index(2, 0));
    const QRect other = view->visualRect(box.model()->index(0, 0));
    // Left of the sample, the rows show their brush.
    QCOMPARE(img.pixelColor(row.left() + 1, row.top() + 10), Highlight);
    QCOMPARE(img.pixelColor(other.left() + 1, other.top() + 10), Base);
    QVERIFY(showsSample(img, row.topLeft() + QPoint(2, 2), LineSamples::styleSample(2)));
    QVERIFY(showsSample(img, other.topLeft() + QPoint(2, 2), LineSamples::styleSample(0)));
    box.hidePopup();
}

QTEST_MAIN(TestLinePicker)
#include "tst_linepicker.moc"
