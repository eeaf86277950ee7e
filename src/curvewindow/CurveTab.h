#pragma once

#include "curves/CurveSettings.h"

#include <QWidget>

#include <memory>

class ColourPanel;
class QComboBox;
class QLabel;
class SpinEdit;

namespace Ui {
class CurveTab;
}

// One curve's tab of the curve window: its show kind, colour, line style and
// width, buffer position and the two scale values. The window has five.
class CurveTab : public QWidget
{
    Q_OBJECT
public:
    explicit CurveTab(QWidget *parent = nullptr);
    ~CurveTab() override;

    QComboBox *showKindList() const;
    ColourPanel *colourPanel() const;
    QComboBox *lineStyleList() const;
    QComboBox *lineWidthList() const;
    QComboBox *bufferList() const;
    SpinEdit *fullScaleSpin() const;
    SpinEdit *zeroSpin() const;

    // The curve's settings as the controls hold them now.
    CurveSpec curve() const;
    // Sets every control but the show kind, whose items come with the
    // language, without change signals.
    void setCurve(const CurveSpec &curve);

signals:
    // A setting that the picture reads changed (not the colour: a colour
    // panel only reports its click).
    void settingChanged();

private:
    std::unique_ptr<Ui::CurveTab> ui;
};
