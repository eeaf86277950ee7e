#include "texts/MainTexts.h"

#include "texts/Translations.h"

#include <QtGlobal>

#include <algorithm>

namespace MainTexts {

namespace {

// The main window's texts, under its class name in the translation file.
QString pick(Language language, const char *source)
{
    return Translations::text(language, "MainWindow", source);
}

} // namespace

QString titlePrefix(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "HMI Database Browser "));
}

QString windowTitle(Language language)
{
    return titlePrefix(language) + QLatin1String(Version);
}

QString windowTitleWithFile(Language language, const QString &path)
{
    return windowTitle(language) + QStringLiteral(" -[ ") + path + QStringLiteral(" ]");
}

QString openCaption(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Open"));
}
QString clearCaption(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Clear"));
}
QString exportCaption(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "ExportXLS"));
}
QString curveCaption(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "OutCurve"));
}
QString languageMenu(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Language Selection(&L)"));
}
QString dynamicLoadMenu(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Dynamic Load(&D)"));
}
QString exitMenu(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Exit(&E)"));
}
// Each language's menu item is named in its own language, in both languages.
QString chineseMenu()
{
    return QStringLiteral("中文(&C)");
}
QString englishMenu()
{
    return QStringLiteral("English(&E)");
}

QString countDisplay(Language language, int count)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Sum Data:%1")).arg(count);
}

QString bufferItem(Language language, int index)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Reco#%1")).arg(index + 1);
}

// The message captions and "Invalid Database" read the same in both
// languages: not translated.
QString captionNorvale()
{
    return QStringLiteral("Norvale");
}
QString captionNoData()
{
    return QStringLiteral("Ostrevain");
}
QString invalidDatabase()
{
    return QStringLiteral("Invalid Database");
}

QString noDataMessage(Language language, const QString &bufferText)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "< %1 > No Data！")).arg(bufferText);
}

QString notCreatedMessage(Language language, const QString &bufferText)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "< %1 > No Create！")).arg(bufferText);
}

QString idTitle(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Data ID"));
}
QString alarmTitle(Language language, int column)
{
    switch (column) {
    case 1:
        return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Alarm Time"));
    case 2:
        return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Alarm No."));
    case 3:
        return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Alarm Content"));
    default:
        return idTitle(language);
    }
}
QString recordDateTitle(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Record Date"));
}
QString recordTimeTitle(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Record Time"));
}
QString wordTitle(Language language, int index)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Data(%1)")).arg(index);
}

namespace {
constexpr qint64 KB = 1024;
constexpr qint64 MB = KB * 1024;
constexpr qint64 GB = MB * 1024;

// Tenths of `unit`, rounded up: "about" a need never says less than it is.
QString tenthsUp(qint64 bytes, qint64 unit)
{
    const qint64 part = bytes % unit * 10;
    const qint64 tenths = bytes / unit * 10 + part / unit + (part % unit != 0 ? 1 : 0);
    return QString::number(tenths / 10) + QLatin1Char('.') + QString::number(tenths % 10);
}
} // namespace

QString sizeText(qint64 bytes)
{
    bytes = std::max<qint64>(bytes, 0);
    if (bytes >= GB)
        return QString::number(double(bytes) / double(GB), 'f', 1) + QStringLiteral(" GB");
    if (bytes >= MB)
        return QString::number(double(bytes) / double(MB), 'f', 1) + QStringLiteral(" MB");
    return QString::number((bytes + KB - 1) / KB) + QStringLiteral(" KB");
}

QString tooLargeMessage(Language language, quint64 records, quint64 bytes)
{
    const QString count = QString::number(records);
    const QString memory = tenthsUp(qint64(std::min<quint64>(bytes, quint64(INT64_MAX))), GB);
    return pick(language,
                QT_TRANSLATE_NOOP("MainWindow",
                                  "File too large: %1 records need about %2 GB of memory"))
        .arg(count, memory);
}

QString fileTooLarge(Language language, qint64 records, qint64 memoryBytes, qint64 fileBytes)
{
    const QString text = tooLargeMessage(language, quint64(std::max<qint64>(records, 0)),
                                         quint64(std::max<qint64>(memoryBytes, 0)));
    return text
        + pick(language, QT_TRANSLATE_NOOP("MainWindow", " (file size %1)"))
              .arg(sizeText(fileBytes));
}

QString recentFilesMenu(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Recent Files(&R)"));
}
QString clearRecentFiles(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Clear List"));
}
QStringList openFilters(Language language)
{
    return {QStringLiteral("db (*.db)"), QStringLiteral("bin (*.bin)"),
            pick(language, QT_TRANSLATE_NOOP("MainWindow", "All files (*)"))};
}

// The start-up registry message is English in both languages: not translated.
QString registryCaption()
{
    return QStringLiteral("Registry");
}
QString createKeyFail()
{
    return QStringLiteral("CreateKey Fail！");
}

QString copyMenu(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Copy"));
}
QString findPlaceholder(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Find, or #ID"));
}
QString findNext(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Next"));
}
QString findPrevious(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Previous"));
}
QString findCount(int current, int total)
{
    return QString::number(current) + QStringLiteral(" / ") + QString::number(total);
}
QString saveAsMenu(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Save As(&S)…"));
}
QString saveAsTitle(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Save As"));
}
QString saveFilterXlsx(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Excel Workbook (*.xlsx)"));
}
QString saveFilterCsv()
{
    return QStringLiteral("CSV (*.csv)");
}
QString saveFailed(Language language, const QString &reason)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Save failed: ")) + reason;
}
QString reloadMenu(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Reload(&O)"));
}
QString followMenu(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Follow File(&F)"));
}
QString fileGoneFollowing(Language language)
{
    return pick(language,
                QT_TRANSLATE_NOOP("MainWindow",
                                  "The file is gone; the rows shown are the last ones "
                                  "read. Following resumes when it returns."));
}
QString fileGone(Language language)
{
    return pick(language,
                QT_TRANSLATE_NOOP("MainWindow",
                                  "The file is gone; the rows shown are the last ones "
                                  "read. Reload (F5) once it is back."));
}

QString workProgress(Language language, bool saving, qint64 rows)
{
    return (saving ? pick(language, QT_TRANSLATE_NOOP("MainWindow", "Rows written: "))
                   : pick(language, QT_TRANSLATE_NOOP("MainWindow", "Rows read: ")))
        + QString::number(rows);
}
QString cancelButton(Language language)
{
    return pick(language, QT_TRANSLATE_NOOP("MainWindow", "Cancel"));
}

} // namespace MainTexts
