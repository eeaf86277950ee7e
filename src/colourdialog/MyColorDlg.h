#pragma once

#include "colourdialog/ColourChoice.h"

#include <QDialog>

#include <memory>

class ColourChooser;
class QKeyEvent;

namespace Ui {
class TMyColorFrm;
}

// The colour dialog: a borderless modal pop-up with a palette of 40 colours,
// "Custom..." for the standard colour chooser and a cancel button. Created
// hidden at start-up and reused; the caller places it, sets the colour value,
// runs exec() and reads the colour value after an OK.
class TMyColorFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TMyColorFrm(QWidget *parent = nullptr);
    ~TMyColorFrm() override;

    // The colour value, the platform's colour word (red in the low byte).
    ColourChoice::ColourWord colour() const { return m_colour; }
    void setColour(ColourChoice::ColourWord colour) { m_colour = colour; }

    // The chooser behind "Custom..." (not owned); nullptr restores the
    // standard one.
    void setColourChooser(ColourChooser *chooser);

public slots:
    void RzColorPicker1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormShow();
    void FormKeyDown(QKeyEvent *event);

    std::unique_ptr<Ui::TMyColorFrm> ui;
    std::unique_ptr<ColourChooser> m_standard;
    ColourChooser *m_chooser = nullptr;
    ColourChoice::ColourWord m_colour = 0;
};
