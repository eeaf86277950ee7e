#include "records/GridLayout.h"

#include "records/RecordGridModel.h"
#include "texts/MainTexts.h"

namespace GridLayout {

void setAlarmList(RecordGridModel &grid, Language language)
{
    grid.setCols(4);
    grid.setColWidth(1, 150);
    grid.setColWidth(2, 68);
    grid.setColWidth(3, 200);
    for (int c = 0; c < 4; ++c)
        grid.setCell(c, 0, MainTexts::alarmTitle(language, c));
}

void setDataRecords(RecordGridModel &grid, Language language, ValueFormat::Format format)
{
    const bool wide = ValueFormat::isPairFormat(format);
    grid.setDefaultColWidth(wide ? 120 : 60);
    grid.setCols(wide ? 8 : 13);
    for (int c = 3; c < grid.cols(); ++c)
        grid.setCell(c, 0, MainTexts::wordTitle(language, wide ? 2 * (c - 3) : c - 3));
    grid.setColWidth(0, 60);
    grid.setColWidth(1, 80);
    grid.setColWidth(2, 80);
    grid.setCell(0, 0, MainTexts::idTitle(language));
    grid.setCell(1, 0, MainTexts::recordDateTitle(language));
    grid.setCell(2, 0, MainTexts::recordTimeTitle(language));
}

} // namespace GridLayout
