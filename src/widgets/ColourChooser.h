#pragma once

#include <QColor>

#include <optional>

class QColorDialog;
class QWidget;

// The standard colour chooser behind "Custom...": starts at a colour, shows
// the custom colours, and returns the confirmed colour or nothing on cancel.
class ColourChooser
{
public:
    virtual ~ColourChooser() = default;
    virtual std::optional<QColor> choose(QWidget *parent, const QColor &start) = 0;
};

// The platform's chooser, QColorDialog, one for the whole run. Its 16 custom
// colour slots start white at every run.
class StandardColourChooser final : public ColourChooser
{
public:
    std::optional<QColor> choose(QWidget *parent, const QColor &start) override;

private:
    QColorDialog *m_dialog = nullptr;
};
