#include "records/MainTexts.h"

#include <algorithm>

#include <algorithm>

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

QString tooLargeMessage(bool chinese, quint64 records, quint64 bytes)
{
    const QString count = QString::number(records);
    const QString memory = tenthsUp(qint64(std::min<quint64>(bytes, quint64(INT64_MAX))), GB);
    return chinese ? QStringLiteral("文件太大：%1 条记录需要约 %2 GB 内存").arg(count, memory)
                   : QStringLiteral("File too large: %1 records need about %2 GB of memory")
                         .arg(count, memory);
}

QString fileTooLarge(bool chinese, qint64 records, qint64 memoryBytes, qint64 fileBytes)
{
    const QString text = tooLargeMessage(chinese, quint64(std::max<qint64>(records, 0)),
                                         quint64(std::max<qint64>(memoryBytes, 0)));
    if (chinese)
        return text + QStringLiteral("（文件大小 ") + sizeText(fileBytes) + QStringLiteral("）");
    return text + QStringLiteral(" (file size ") + sizeText(fileBytes) + QLatin1Char(')');
}

QString registryCaption()
{
    return QStringLiteral("Registry");
}
QString createKeyFail()
{
    return QStringLiteral("CreateKey Fail！");
}

QString copyMenu(bool chinese)
{
    return pick(chinese, u"复制", u"Copy");
}
QString findPlaceholder(bool chinese)
{
    return pick(chinese, u"查找，或 #ID", u"Find, or #ID");
}
QString findNext(bool chinese)
{
    return pick(chinese, u"下一个", u"Next");
}
QString findPrevious(bool chinese)
{
    return pick(chinese, u"上一个", u"Previous");
}
QString findCount(int current, int total)
{
    return QString::number(current) + QStringLiteral(" / ") + QString::number(total);
}
QString saveAsMenu(bool chinese)
{
    return pick(chinese, u"另存为(&S)…", u"Save As(&S)…");
}
QString saveAsTitle(bool chinese)
{
    return pick(chinese, u"另存为", u"Save As");
}
QString saveFilterXlsx(bool chinese)
{
    return pick(chinese, u"Excel 工作簿 (*.xlsx)", u"Excel Workbook (*.xlsx)");
}
QString saveFilterCsv()
{
    return QStringLiteral("CSV (*.csv)");
}
QString saveFailed(bool chinese, const QString &reason)
{
    return pick(chinese, u"保存失败：", u"Save failed: ") + reason;
}
QString reloadMenu(bool chinese)
{
    return pick(chinese, u"重新加载(&O)", u"Reload(&O)");
}
QString followMenu(bool chinese)
{
    return pick(chinese, u"跟随文件(&F)", u"Follow File(&F)");
}

} // namespace MainTexts
