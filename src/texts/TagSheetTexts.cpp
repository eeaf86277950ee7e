#include "texts/TagSheetTexts.h"

#include "texts/Translations.h"

namespace TagSheetTexts {

namespace {

QString pick(Language language, const char *source)
{
    return Translations::text(language, "TagSheet", source);
}

} // namespace

QString openMenu(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Tag Sheet(&G)…"));
}

QString noneMenu(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "No Tag Sheet(&N)"));
}

QString openTitle(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Open Tag Sheet"));
}

QString fileFilter(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Tag Sheet (*.csv)"));
}

QString editMenu(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Edit Tag Sheet(&I)…"));
}

QString editorTitle(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Tag Sheet Editor"));
}

QString editorOpen(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Open…"));
}

QString editorAddRow(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Add Row"));
}

QString editorRemoveRow(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Remove Row"));
}

QString editorMoveUp(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Move Up"));
}

QString editorMoveDown(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Move Down"));
}

QString editorSave(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Save"));
}

QString editorSaveAs(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Save As…"));
}

QString editorClose(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Close"));
}

QString saveTitle(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Save Tag Sheet"));
}

QString unsavedQuestion(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "The tag sheet has changed. Save it?"));
}

QString discardAnswer(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Discard"));
}

QString cancelAnswer(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "Cancel"));
}

QString saveFaulty(Language language, const QString &fault)
{
    return pick(language,
                QT_TRANSLATE_NOOP("TagSheet", "Correct the marked cells before saving. %1"))
        .arg(fault);
}

QString saveFailed(Language language, const QString &reason)
{
    return pick(language, QT_TRANSLATE_NOOP("TagSheet", "The tag sheet could not be saved: %1"))
        .arg(reason);
}

QString titleWithSheet(Language language, const QString &title, const QString &sheetName)
{
    return title + QStringLiteral("  ")
        + pick(language, QT_TRANSLATE_NOOP("TagSheet", "Tag sheet: %1")).arg(sheetName);
}

QString selectionStatistics(Language language, qint64 count, const QString &min, const QString &max,
                            const QString &mean, const QString &sum)
{
    return pick(language,
                QT_TRANSLATE_NOOP("TagSheet", "Count: %1   Min: %2   Max: %3   Mean: %4   Sum: %5"))
        .arg(QString::number(count), min, max, mean, sum);
}

} // namespace TagSheetTexts
