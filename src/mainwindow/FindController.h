#pragma once

#include "platform/Language.h"

#include <QObject>
#include <QString>

#include <QtGlobal>

#include <functional>
#include <optional>
#include <vector>

class FindBar;
class QWidget;
class RecordGridModel;
class RecordGridView;

// Find in the record grid: the find bar over the grid's bottom, its keys
// (Ctrl+F, Ctrl+G, F3, Shift+F3), the matches of the text in it and the row
// found, selected and scrolled above the bar.
class FindController : public QObject
{
    Q_OBJECT
public:
    FindController(QWidget *window, RecordGridView *view, const RecordGridModel *grid);

    FindBar *bar() const { return m_bar; }
    QString countText() const;
    void setTexts(Language language);
    // The grid was filled anew: the matches are looked for again.
    void gridChanged() { m_matchesStale = true; }

    // How "@time" finds its row: the time of a row, and the row of the
    // earliest time at or after a time (-1: none).
    struct TimeLookup
    {
        std::function<std::optional<qint64>(int row)> rowTime;
        std::function<int(qint64 time)> firstRowAtOrAfter;
    };
    void setTimeLookup(TimeLookup lookup) { m_times = std::move(lookup); }

    void showFind();
    void showGoToId();
    void findNext();
    void findPrevious();

private:
    void step(bool forward, bool fromCurrent);
    void showRow(int row);

    RecordGridView *m_view;
    const RecordGridModel *m_grid;
    FindBar *m_bar;
    TimeLookup m_times;
    std::vector<int> m_matches;
    bool m_matchesStale = true;
};
