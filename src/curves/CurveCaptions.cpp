#include "curves/CurveCaptions.h"

#include "curves/CurveSettings.h"

namespace CurveCaptions {

namespace {

std::vector<Caption> build()
{
    std::vector<Caption> c = {
        {QStringLiteral("TLSCurrentFrm"), QStringLiteral("数据库曲线浏览窗口"),
         QStringLiteral("Database Curve Browser")},
        {QStringLiteral("Label2"), QStringLiteral("没有可用的曲线数据，请先打开数据库!"),
         QStringLiteral("No Curve Data Available, Please Open The Database!")},
        {QStringLiteral("GroupBox7"), QStringLiteral("特性"), QStringLiteral("Characteristic")},
        {QStringLiteral("Label11"), QStringLiteral("宽 度:"), QStringLiteral("Width:")},
        {QStringLiteral("Label12"), QStringLiteral("高 度:"), QStringLiteral("Height:")},
        {QStringLiteral("Label4"), QStringLiteral("横 格:"), QStringLiteral("H.Grid:")},
        {QStringLiteral("Label7"), QStringLiteral("纵 格:"), QStringLiteral("V.Grid:")},
        {QStringLiteral("Label1"), QStringLiteral("背景:"), QStringLiteral("Back.:")},
        {QStringLiteral("Label5"), QStringLiteral("格子:"), QStringLiteral("Grid:")},
    };
    const char *const sheets[] = {"TabSheet2", "TabSheet3", "TabSheet5", "TabSheet6", "TabSheet7"};
    for (int k = 0; k < CurveCount; ++k)
        c.push_back({QLatin1String(sheets[k]), QStringLiteral("曲线%1").arg(k + 1),
                     QStringLiteral("Curve%1").arg(k + 1)});
    c.push_back({QStringLiteral("TabSheet4"), QStringLiteral("外观"), QStringLiteral("Other")});
    c.push_back({QStringLiteral("TabSheet1"), QStringLiteral("X 轴"), QStringLiteral("X Axis")});
    c.push_back({QStringLiteral("TabSheet8"), QStringLiteral("Y 轴"), QStringLiteral("Y Axis")});

    // The seven labels of each curve tab, curve by curve.
    const char *const labels[7][CurveCount] = {
        {"Label26", "Label27", "Label35", "Label32", "Label46"},
        {"Label8", "Label33", "Label41", "Label36", "Label47"},
        {"Label14", "Label34", "Label42", "Label38", "Label48"},
        {"Label49", "Label50", "Label51", "Label40", "Label52"},
        {"Label22", "Label18", "Label29", "Label43", "Label53"},
        {"Label24", "Label23", "Label30", "Label44", "Label54"},
        {"Label25", "Label28", "Label31", "Label45", "Label55"},
    };
    const QString zh[7] = {QStringLiteral("显示:"),           QStringLiteral("颜色:"),
                           QStringLiteral("线型:"),           QStringLiteral("线宽:"),
                           QStringLiteral("缓冲区资料位置:"), QStringLiteral("显示满额度值 K:"),
                           QStringLiteral("显示零额度值 K:")};
    const QString en[7] = {QStringLiteral("Show:"),           QStringLiteral("Color:"),
                           QStringLiteral("Line:"),           QStringLiteral("Width:"),
                           QStringLiteral("Buffe Position:"), QStringLiteral("Full LineVal.K:"),
                           QStringLiteral("Zero LineVal.K:")};
    for (int k = 0; k < CurveCount; ++k) {
        for (int i = 0; i < 7; ++i)
            c.push_back({QLatin1String(labels[i][k]), zh[i], en[i]});
    }

    const std::vector<Caption> rest = {
        {QStringLiteral("CheckBox2"), QStringLiteral("不显示 网格"),
         QStringLiteral("No Display Grid")},
        {QStringLiteral("CheckBox3"), QStringLiteral("不显示 X 轴信息"),
         QStringLiteral("No Display X axis Inf")},
        {QStringLiteral("CheckBox4"), QStringLiteral("不显示 Y 轴标注"),
         QStringLiteral("No Display Y axis Annotation")},
        {QStringLiteral("CheckBox5"), QStringLiteral("不显示 当前坐标点数值"),
         QStringLiteral("No Display Current Coordinate Point Value")},
        {QStringLiteral("Label20"), QStringLiteral("时间格式:"), QStringLiteral("TimeFormat:")},
        {QStringLiteral("Label19"), QStringLiteral("信息颜色:"), QStringLiteral("Inf.Color:")},
        {QStringLiteral("Label21"), QStringLiteral("信息字体:"), QStringLiteral("Inf.Font:")},
        {QStringLiteral("Label9"), QStringLiteral("最大坐标:"), QStringLiteral("Max Coor.:")},
        {QStringLiteral("Label10"), QStringLiteral("最小坐标:"), QStringLiteral("Min Coor.:")},
        {QStringLiteral("Label13"), QStringLiteral("小数位数:"), QStringLiteral("Decimal:")},
        {QStringLiteral("Label16"), QStringLiteral("标注颜色:"), QStringLiteral("MarkColor:")},
        {QStringLiteral("Label17"), QStringLiteral("标注字体:"), QStringLiteral("Mark Font:")},
        {QStringLiteral("Label15"), QStringLiteral("标注个数:"), QStringLiteral("Mark Num:")},
        {QStringLiteral("GroupBox1"), QStringLiteral("打印范围设置"),
         QStringLiteral("Print Range Settings")},
        {QStringLiteral("Label3"), QStringLiteral("起始ID:"), QStringLiteral("StartID:")},
        {QStringLiteral("Label6"), QStringLiteral("结束ID:"), QStringLiteral("EndID:")},
        {QStringLiteral("Label39"), QStringLiteral("需要打印页数:"),
         QStringLiteral("Print Pages:")},
        {QStringLiteral("BitBtn1"), QStringLiteral("打印机设置"), QStringLiteral("PrinterSet")},
        {QStringLiteral("BitBtn2"), QStringLiteral("打印开始"), QStringLiteral("PrintStart")},
    };
    c.insert(c.end(), rest.begin(), rest.end());
    return c;
}

} // namespace

const std::vector<Caption> &all()
{
    static const std::vector<Caption> captions = build();
    return captions;
}

int defaultShowKind(int curve)
{
    static const CurveSettings defaults;
    return curve >= 0 && curve < CurveCount ? defaults.curves[std::size_t(curve)].showKind : 0;
}

QString printerSetupTitle(bool chinese)
{
    return chinese ? QStringLiteral("打印机设置") : QStringLiteral("Printer Setup");
}

QString okCaption(bool chinese)
{
    return chinese ? QStringLiteral("确定") : QStringLiteral("OK");
}

QString cancelCaption(bool chinese)
{
    return chinese ? QStringLiteral("取消") : QStringLiteral("Cancel");
}

QStringList lineStyleItems()
{
    return {QStringLiteral("Solid"),      QStringLiteral("Dash"),       QStringLiteral("Dot"),
            QStringLiteral("DashDot"),    QStringLiteral("DashDotDot"), QStringLiteral("Clear"),
            QStringLiteral("InsideFrame")};
}

QStringList lineWidthItems()
{
    QStringList items;
    for (int i = 0; i < 6; ++i)
        items << QString::number(i + 1) + QStringLiteral("p");
    return items;
}

} // namespace CurveCaptions
