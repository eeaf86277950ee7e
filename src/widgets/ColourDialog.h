#pragma once

#include "widgets/ColourChoice.h"

#include <QDialog>

#include <memory>

class ColourChooser;
class QKeyEvent;

namespace Ui {
class ColourDialog;
}

// The colour dialog: a borderless modal pop-up with a palette of 40 colours,
// "Custom..." for the standard colour chooser and a cancel button. Created
// hidden at start-up and reused; the caller places it, sets the colour value,
// runs exec() and reads the colour value after an OK.
class ColourDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ColourDialog(QWidget *parent = nullptr);
    ~ColourDialog() override;

    // The colour value, the platform's colour word (red in the low byte).
    ColourChoice::ColourWord colour() const { return m_colour; }
    void setColour(ColourChoice::ColourWord colour) { m_colour = colour; }

    // The chooser behind "Custom..." (not owned); nullptr restores the
    // standard one.
    void setColourChooser(ColourChooser *chooser);

public slots:
    void chooseFromPalette();
    void chooseCustom();
    void cancelChoice();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void selectCurrentColour();
    void closeOnEscape(QKeyEvent *event);

    std::unique_ptr<Ui::ColourDialog> ui;
    std::unique_ptr<ColourChooser> m_standard;
    ColourChooser *m_chooser = nullptr;
    ColourChoice::ColourWord m_colour = 0;
};
