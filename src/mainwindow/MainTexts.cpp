#include "MainTexts.h"

#include "RecordGridModel.h"

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

QString tooLargeMessage(bool chinese, quint64 records, quint64 bytes)
{
    const QString count = QString::number(records);
    // Never "0.0": a refused load needs at least a tenth.
    const double gb = std::max(0.1, double(bytes) / double(quint64(1) << 30));
    const QString size = QString::number(gb, 'f', 1);
    return chinese
        ? QStringLiteral("文件太大：%1 条记录需要约 %2 GB 内存").arg(count, size)
        : QStringLiteral("File too large: %1 records need about %2 GB of memory").arg(count, size);
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

namespace GridLayout {

namespace {
QString idTitle(bool chinese)
{
    return chinese ? QStringLiteral("数据ID") : QStringLiteral("Data ID");
}
} // namespace

bool isWideFormat(int format)
{
    return format >= 2 && format <= 4;
}

void setAlarmList(RecordGridModel &grid, bool chinese)
{
    grid.setCols(4);
    grid.setColWidth(1, 150);
    grid.setColWidth(2, 68);
    grid.setColWidth(3, 200);
    grid.setCell(0, 0, idTitle(chinese));
    grid.setCell(1, 0, chinese ? QStringLiteral("报警时间") : QStringLiteral("Alarm Time"));
    grid.setCell(2, 0, chinese ? QStringLiteral("报警编号") : QStringLiteral("Alarm No."));
    grid.setCell(3, 0, chinese ? QStringLiteral("报警内容") : QStringLiteral("Alarm Content"));
}

void setDataRecords(RecordGridModel &grid, bool chinese, int format)
{
    const bool wide = isWideFormat(format);
    grid.setDefaultColWidth(wide ? 120 : 60);
    grid.setCols(wide ? 8 : 13);
    const QString prefix = chinese ? QStringLiteral("数据(") : QStringLiteral("Data(");
    for (int c = 3; c < grid.cols(); ++c) {
        const int index = wide ? 2 * (c - 3) : c - 3;
        grid.setCell(c, 0, prefix + QString::number(index) + QLatin1Char(')'));
    }
    grid.setColWidth(0, 60);
    grid.setColWidth(1, 80);
    grid.setColWidth(2, 80);
    grid.setCell(0, 0, idTitle(chinese));
    grid.setCell(1, 0, chinese ? QStringLiteral("记录日期") : QStringLiteral("Record Date"));
    grid.setCell(2, 0, chinese ? QStringLiteral("记录时间") : QStringLiteral("Record Time"));
}

} // namespace GridLayout
