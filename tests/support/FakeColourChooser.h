#pragma once

// The standard colour chooser's stand-in: answers at once with a preset
// colour (or a cancel) and keeps how it was asked.

#include "widgets/ColourChooser.h"

class FakeColourChooser : public ColourChooser
{
public:
    std::optional<QColor> choose(QWidget *parent, const QColor &start) override
    {
        ++runs;
        startedAt = start;
        owner = parent;
        return answer;
    }
    std::optional<QColor> answer; // nothing: cancelled
    QColor startedAt;
    QWidget *owner = nullptr;
    int runs = 0;
};
