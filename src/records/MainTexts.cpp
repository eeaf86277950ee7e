#include "records/MainTexts.h"

#include "records/Translations.h"

#include <QtGlobal>

namespace MainTexts {

namespace {

// The main window's texts, under its class name in the translation file.
QString pick(bool chinese, const char *source)
{
    return Translations::text(chinese, "TMainFrm", source);
}

} // namespace

QString titlePrefix(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "HMI Database Browser "));
}

QString windowTitle(bool chinese)
{
    return titlePrefix(chinese) + QLatin1String(Version);
}

QString windowTitleWithFile(bool chinese, const QString &path)
{
    return windowTitle(chinese) + QStringLiteral(" -[ ") + path + QStringLiteral(" ]");
}

QString openCaption(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Open"));
}
QString clearCaption(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Clear"));
}
QString exportCaption(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "ExportXLS"));
}
QString curveCaption(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "OutCurve"));
}
QString languageMenu(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Language Selection(&L)"));
}
QString dynamicLoadMenu(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Dynamic Load(&D)"));
}
QString exitMenu(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Exit(&E)"));
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

QString countDisplay(bool chinese, int count)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Sum Data:%1")).arg(count);
}

QString bufferItem(bool chinese, int index)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Reco#%1")).arg(index + 1);
}

// The format names read the same in both languages: not translated.
QString formatItem(int format)
{
    static const char *const items[FormatCount]
        = {"16bit Unsigned", "16bit Signed", "32bit Signed", "32bit HEX", "32bit Float"};
    return format >= 0 && format < FormatCount ? QLatin1String(items[format]) : QString();
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

QString noDataMessage(bool chinese, const QString &bufferText)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "< %1 > No Data！")).arg(bufferText);
}

QString notCreatedMessage(bool chinese, const QString &bufferText)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "< %1 > No Create！")).arg(bufferText);
}

QString idTitle(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Data ID"));
}
QString alarmTitle(bool chinese, int column)
{
    switch (column) {
    case 1:
        return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Alarm Time"));
    case 2:
        return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Alarm No."));
    case 3:
        return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Alarm Content"));
    default:
        return idTitle(chinese);
    }
}
QString recordDateTitle(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Record Date"));
}
QString recordTimeTitle(bool chinese)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Record Time"));
}
QString wordTitle(bool chinese, int index)
{
    return pick(chinese, QT_TRANSLATE_NOOP("TMainFrm", "Data(%1)")).arg(index);
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

} // namespace MainTexts
