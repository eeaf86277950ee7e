#include "curves/CurveCaptions.h"

#include "curves/CurveSettings.h"
#include "records/Translations.h"

#include <QtGlobal>

namespace CurveCaptions {

namespace {

constexpr auto Context = "TLSCurrentFrm";

std::vector<Caption> build()
{
    std::vector<Caption> c = {
        {QStringLiteral("TLSCurrentFrm"),
         {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Database Curve Browser")}},
        {QStringLiteral("Label2"),
         {QT_TRANSLATE_NOOP("TLSCurrentFrm",
                            "No Curve Data Available, Please Open The Database!")}},
        {QStringLiteral("GroupBox7"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Characteristic")}},
        {QStringLiteral("Label11"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Width:")}},
        {QStringLiteral("Label12"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Height:")}},
        {QStringLiteral("Label4"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "H.Grid:")}},
        {QStringLiteral("Label7"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "V.Grid:")}},
        {QStringLiteral("Label1"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Back.:")}},
        {QStringLiteral("Label5"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Grid:")}},
    };
    const char *const sheets[] = {"curveTab1", "curveTab2", "curveTab3", "curveTab4", "curveTab5"};
    const char *const curves[] = {
        QT_TRANSLATE_NOOP("TLSCurrentFrm", "Curve1"), QT_TRANSLATE_NOOP("TLSCurrentFrm", "Curve2"),
        QT_TRANSLATE_NOOP("TLSCurrentFrm", "Curve3"), QT_TRANSLATE_NOOP("TLSCurrentFrm", "Curve4"),
        QT_TRANSLATE_NOOP("TLSCurrentFrm", "Curve5")};
    for (int k = 0; k < CurveCount; ++k)
        c.push_back({QLatin1String(sheets[k]), {curves[k]}});
    c.push_back({QStringLiteral("TabSheet4"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Other")}});
    c.push_back({QStringLiteral("TabSheet1"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "X Axis")}});
    c.push_back({QStringLiteral("TabSheet8"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Y Axis")}});

    // The seven labels of each curve tab, curve by curve.
    const char *const labels[7]
        = {"showKindLabel", "colourLabel",    "lineStyleLabel", "lineWidthLabel",
           "bufferLabel",   "fullScaleLabel", "zeroLabel"};
    // "Width:" is also the picture's width: the line's has a disambiguation.
    const Source curveLabels[7] = {{QT_TRANSLATE_NOOP("TLSCurrentFrm", "Show:")},
                                   {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Color:")},
                                   {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Line:")},
                                   QT_TRANSLATE_NOOP3("TLSCurrentFrm", "Width:", "line"),
                                   {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Buffe Position:")},
                                   {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Full LineVal.K:")},
                                   {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Zero LineVal.K:")}};
    for (int k = 0; k < CurveCount; ++k) {
        for (int i = 0; i < 7; ++i)
            c.push_back({QLatin1String(sheets[k]) + QLatin1Char('.') + QLatin1String(labels[i]),
                         curveLabels[i]});
    }

    const std::vector<Caption> rest = {
        {QStringLiteral("CheckBox2"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "No Display Grid")}},
        {QStringLiteral("CheckBox3"),
         {QT_TRANSLATE_NOOP("TLSCurrentFrm", "No Display X axis Inf")}},
        {QStringLiteral("CheckBox4"),
         {QT_TRANSLATE_NOOP("TLSCurrentFrm", "No Display Y axis Annotation")}},
        {QStringLiteral("CheckBox5"),
         {QT_TRANSLATE_NOOP("TLSCurrentFrm", "No Display Current Coordinate Point Value")}},
        {QStringLiteral("Label20"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "TimeFormat:")}},
        {QStringLiteral("Label19"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Inf.Color:")}},
        {QStringLiteral("Label21"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Inf.Font:")}},
        {QStringLiteral("Label9"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Max Coor.:")}},
        {QStringLiteral("Label10"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Min Coor.:")}},
        {QStringLiteral("Label13"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Decimal:")}},
        {QStringLiteral("Label16"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "MarkColor:")}},
        {QStringLiteral("Label17"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Mark Font:")}},
        {QStringLiteral("Label15"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Mark Num:")}},
        {QStringLiteral("GroupBox1"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Print Range Settings")}},
        {QStringLiteral("Label3"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "StartID:")}},
        {QStringLiteral("Label6"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "EndID:")}},
        {QStringLiteral("Label39"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Print Pages:")}},
        {QStringLiteral("BitBtn1"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "PrinterSet")}},
        {QStringLiteral("BitBtn2"), {QT_TRANSLATE_NOOP("TLSCurrentFrm", "PrintStart")}},
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

QString text(const Caption &caption, bool chinese)
{
    return Translations::text(chinese, Context, caption.text.source, caption.text.comment);
}

QString showKindItem(bool chinese, int index)
{
    static const char *const kinds[ShowKindCount]
        = {QT_TRANSLATE_NOOP("TLSCurrentFrm", "Not use"),
           QT_TRANSLATE_NOOP("TLSCurrentFrm", "Broken Line"),
           QT_TRANSLATE_NOOP("TLSCurrentFrm", "Dot"),
           QT_TRANSLATE_NOOP("TLSCurrentFrm", "Column Line")};
    return index >= 0 && index < ShowKindCount ? Translations::text(chinese, Context, kinds[index])
                                               : QString();
}

int defaultShowKind(int curve)
{
    static const CurveSettings defaults;
    return curve >= 0 && curve < CurveCount ? defaults.curves[std::size_t(curve)].showKind : 0;
}

QString printFailed(bool chinese)
{
    return Translations::text(
        chinese, Context,
        QT_TRANSLATE_NOOP("TLSCurrentFrm", "The printer could not start a print job!"));
}

QString errorCaption(bool chinese)
{
    return Translations::text(chinese, Context, QT_TRANSLATE_NOOP("TLSCurrentFrm", "Error"));
}

QString printerSetupTitle(bool chinese)
{
    return Translations::text(chinese, Context,
                              QT_TRANSLATE_NOOP("TLSCurrentFrm", "Printer Setup"));
}

QString okCaption(bool chinese)
{
    return Translations::text(chinese, Context, QT_TRANSLATE_NOOP("TLSCurrentFrm", "OK"));
}

QString cancelCaption(bool chinese)
{
    return Translations::text(chinese, Context, QT_TRANSLATE_NOOP("TLSCurrentFrm", "Cancel"));
}

// The line-style and line-width items read the same in both languages: not
// translated.
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
