#include "curvewindow/CurveTab.h"

#include "ui_CurveTab.h"

#include "curves/CurveCaptions.h"
#include "curves/LineSamples.h"
#include "widgets/ColourPanel.h"
#include "widgets/LinePickerDelegate.h"
#include "widgets/SpinEdit.h"

#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QSignalBlocker>

#include <vector>

namespace {

// The sample pictures live as long as the program; the lists share them.
const std::vector<QIcon> &styleIcons()
{
    static const std::vector<QIcon> icons = [] {
        std::vector<QIcon> v;
        for (int i = 0; i < 7; ++i)
            v.emplace_back(QPixmap::fromImage(LineSamples::styleSample(i)));
        return v;
    }();
    return icons;
}

const std::vector<QIcon> &widthIcons()
{
    static const std::vector<QIcon> icons = [] {
        std::vector<QIcon> v;
        for (int i = 0; i < 6; ++i)
            v.emplace_back(QPixmap::fromImage(LineSamples::widthSample(i)));
        return v;
    }();
    return icons;
}

} // namespace

CurveTab::CurveTab(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::CurveTab>())
{
    ui->setupUi(this);
    // Each caption stands 4 pixels below the top of its control.
    for (QLabel *l : {ui->showKindLabel, ui->colourLabel, ui->lineStyleLabel, ui->lineWidthLabel,
                      ui->bufferLabel, ui->fullScaleLabel, ui->zeroLabel})
        l->setContentsMargins(0, 4, 0, 0);

    const QStringList styles = CurveCaptions::lineStyleItems();
    ui->lineStyleList->setIconSize(QSize(30, 16));
    for (int i = 0; i < styles.size(); ++i)
        ui->lineStyleList->addItem(styleIcons()[static_cast<std::size_t>(i)], styles[i]);
    ui->lineStyleList->setCurrentIndex(0);

    const QStringList widths = CurveCaptions::lineWidthItems();
    ui->lineWidthList->setIconSize(QSize(70, 16));
    for (int i = 0; i < widths.size(); ++i)
        ui->lineWidthList->addItem(widthIcons()[static_cast<std::size_t>(i)], widths[i]);
    ui->lineWidthList->setCurrentIndex(0);

    // The pickers paint their own items.
    for (QComboBox *picker : {ui->lineStyleList, ui->lineWidthList}) {
        auto *drawItem = new LinePickerDelegate(picker);
        drawItem->setObjectName(picker->objectName() + QStringLiteral("DrawItem"));
    }

    for (QComboBox *c : {ui->showKindList, ui->lineStyleList, ui->lineWidthList, ui->bufferList})
        connect(c, &QComboBox::currentIndexChanged, this, &CurveTab::settingChanged);
    for (SpinEdit *s : {ui->fullScaleSpin, ui->zeroSpin})
        connect(s, &SpinEdit::valueChanged, this, &CurveTab::settingChanged);
}

CurveTab::~CurveTab() = default;

QComboBox *CurveTab::showKindList() const
{
    return ui->showKindList;
}

ColourPanel *CurveTab::colourPanel() const
{
    return ui->colourPanel;
}

QComboBox *CurveTab::lineStyleList() const
{
    return ui->lineStyleList;
}

QComboBox *CurveTab::lineWidthList() const
{
    return ui->lineWidthList;
}

QComboBox *CurveTab::bufferList() const
{
    return ui->bufferList;
}

SpinEdit *CurveTab::fullScaleSpin() const
{
    return ui->fullScaleSpin;
}

SpinEdit *CurveTab::zeroSpin() const
{
    return ui->zeroSpin;
}

CurveSpec CurveTab::curve() const
{
    CurveSpec c;
    c.showKind = ui->showKindList->currentIndex();
    c.colour = ui->colourPanel->colour().rgb();
    c.style = ui->lineStyleList->currentIndex();
    c.widthIndex = ui->lineWidthList->currentIndex();
    c.bufferPos = ui->bufferList->currentIndex();
    c.full = ui->fullScaleSpin->value();
    c.zero = ui->zeroSpin->value();
    return c;
}

void CurveTab::setCurve(const CurveSpec &curve)
{
    const QSignalBlocker quiet(this);
    ui->colourPanel->setColour(QColor::fromRgb(curve.colour));
    ui->lineStyleList->setCurrentIndex(curve.style);
    ui->lineWidthList->setCurrentIndex(curve.widthIndex);
    ui->bufferList->setCurrentIndex(curve.bufferPos);
    ui->fullScaleSpin->setValue(static_cast<int>(curve.full));
    ui->zeroSpin->setValue(static_cast<int>(curve.zero));
}
