#include "records/TagSheetTexts.h"

#include "records/Translations.h"

namespace TagSheetTexts {

namespace {

QString pick(bool chinese, const char *source)
{
    return Translations::text(chinese, "TagSheet", source);
}

} // namespace

QString openMenu(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TagSheet", "Tag Sheet(&G)…"));
}

QString noneMenu(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TagSheet", "No Tag Sheet(&N)"));
}

QString openTitle(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TagSheet", "Open Tag Sheet"));
}

QString fileFilter(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TagSheet", "Tag Sheet (*.csv)"));
}

QString titleWithSheet(bool chinese, const QString &title, const QString &sheetName)
{
    return title + QStringLiteral("  ")
        + pick(chinese, QT_TRANSLATE_NOOP("TagSheet", "Tag sheet: %1")).arg(sheetName);
}

QString selectionStatistics(bool chinese, qint64 count, const QString &min, const QString &max,
                            const QString &mean, const QString &sum)
{
    return pick(chinese,
                QT_TRANSLATE_NOOP("TagSheet", "Count: %1   Min: %2   Max: %3   Mean: %4   Sum: %5"))
        .arg(QString::number(count), min, max, mean, sum);
}

} // namespace TagSheetTexts
