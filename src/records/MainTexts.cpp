#include "records/MainTexts.h"

namespace MainTexts {

namespace {
QString pick(bool chinese, const char16_t *zh, const char16_t *en)
{
    return QString::fromUtf16(chinese ? zh : en);
}
} // namespace

QString titlePrefix(bool chinese)
{
    return pick(chinese, u"HMI 数据库浏览器 ", u"HMI Database Browser ");
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
    return pick(chinese, u"打开", u"Open");
}
QString clearCaption(bool chinese)
{
    return pick(chinese, u"清除", u"Clear");
}
QString exportCaption(bool chinese)
{
    return pick(chinese, u"导出Excel", u"ExportXLS");
}
QString curveCaption(bool chinese)
{
    return pick(chinese, u"输出曲线", u"OutCurve");
}
QString languageMenu(bool chinese)
{
    return pick(chinese, u"语言选择(&L)", u"Language Selection(&L)");
}
QString dynamicLoadMenu(bool chinese)
{
    return pick(chinese, u"动态加载(&D)", u"Dynamic Load(&D)");
}
QString exitMenu(bool chinese)
{
    return pick(chinese, u"退出(&E)", u"Exit(&E)");
}
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
    return pick(chinese, u"数据条数:", u"Sum Data:") + QString::number(count);
}

QString bufferItem(bool chinese, int index)
{
    return pick(chinese, u"记录#", u"Reco#") + QString::number(index + 1);
}

QString formatItem(int format)
{
    static const char *const items[FormatCount]
        = {"16bit Unsigned", "16bit Signed", "32bit Signed", "32bit HEX", "32bit Float"};
    return format >= 0 && format < FormatCount ? QLatin1String(items[format]) : QString();
}

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
    return QStringLiteral("< ") + bufferText + pick(chinese, u" > 没有数据！", u" > No Data！");
}

QString notCreatedMessage(bool chinese, const QString &bufferText)
{
    return QStringLiteral("< ") + bufferText + pick(chinese, u" > 没有创建！", u" > No Create！");
}

QString idTitle(bool chinese)
{
    return pick(chinese, u"数据ID", u"Data ID");
}
QString alarmTitle(bool chinese, int column)
{
    switch (column) {
    case 1:
        return pick(chinese, u"报警时间", u"Alarm Time");
    case 2:
        return pick(chinese, u"报警编号", u"Alarm No.");
    case 3:
        return pick(chinese, u"报警内容", u"Alarm Content");
    default:
        return idTitle(chinese);
    }
}
QString recordDateTitle(bool chinese)
{
    return pick(chinese, u"记录日期", u"Record Date");
}
QString recordTimeTitle(bool chinese)
{
    return pick(chinese, u"记录时间", u"Record Time");
}
QString wordTitle(bool chinese, int index)
{
    return pick(chinese, u"数据(", u"Data(") + QString::number(index) + QLatin1Char(')');
}

QString recentFilesMenu(bool chinese)
{
    return pick(chinese, u"最近打开的文件(&R)", u"Recent Files(&R)");
}
QString clearRecentFiles(bool chinese)
{
    return pick(chinese, u"清除列表", u"Clear List");
}
QStringList openFilters(bool chinese)
{
    return {QStringLiteral("db (*.db)"), QStringLiteral("bin (*.bin)"),
            pick(chinese, u"所有文件 (*)", u"All files (*)")};
}

QString registryCaption()
{
    return QStringLiteral("Registry");
}
QString createKeyFail()
{
    return QStringLiteral("CreateKey Fail！");
}

} // namespace MainTexts
