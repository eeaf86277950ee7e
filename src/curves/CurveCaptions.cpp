#include "curves/CurveCaptions.h"

#include "curves/CurveSettings.h"
#include "texts/Translations.h"

#include <QtGlobal>

namespace CurveCaptions {

namespace {

constexpr auto Context = "CurveWindow";

std::vector<Caption> build()
{
    std::vector<Caption> c = {
        {QStringLiteral("CurveWindow"),
         {QT_TRANSLATE_NOOP("CurveWindow", "Database Curve Browser")}},
        {QStringLiteral("noDataLabel"),
         {QT_TRANSLATE_NOOP("CurveWindow", "No Curve Data Available, Please Open The Database!")}},
        {QStringLiteral("pictureGroup"), {QT_TRANSLATE_NOOP("CurveWindow", "Characteristic")}},
        {QStringLiteral("pictureWidthLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Width:")}},
        {QStringLiteral("pictureHeightLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Height:")}},
        {QStringLiteral("horizontalGridLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "H.Grid:")}},
        {QStringLiteral("verticalGridLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "V.Grid:")}},
        {QStringLiteral("backgroundColourLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Back.:")}},
        {QStringLiteral("gridColourLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Grid:")}},
    };
    const char *const sheets[] = {"curveTab1", "curveTab2", "curveTab3", "curveTab4", "curveTab5"};
    const char *const curves[]
        = {QT_TRANSLATE_NOOP("CurveWindow", "Curve1"), QT_TRANSLATE_NOOP("CurveWindow", "Curve2"),
           QT_TRANSLATE_NOOP("CurveWindow", "Curve3"), QT_TRANSLATE_NOOP("CurveWindow", "Curve4"),
           QT_TRANSLATE_NOOP("CurveWindow", "Curve5")};
    for (int k = 0; k < CurveCount; ++k)
        c.push_back({QLatin1String(sheets[k]), {curves[k]}});
    c.push_back({QStringLiteral("otherTab"), {QT_TRANSLATE_NOOP("CurveWindow", "Other")}});
    c.push_back({QStringLiteral("xAxisTab"), {QT_TRANSLATE_NOOP("CurveWindow", "X Axis")}});
    c.push_back({QStringLiteral("yAxisTab"), {QT_TRANSLATE_NOOP("CurveWindow", "Y Axis")}});

    // The seven labels of each curve tab, curve by curve.
    const char *const labels[7]
        = {"showKindLabel", "colourLabel",    "lineStyleLabel", "lineWidthLabel",
           "bufferLabel",   "fullScaleLabel", "zeroLabel"};
    // "Width:" is also the picture's width: the line's has a disambiguation.
    const Source curveLabels[7] = {{QT_TRANSLATE_NOOP("CurveWindow", "Show:")},
                                   {QT_TRANSLATE_NOOP("CurveWindow", "Color:")},
                                   {QT_TRANSLATE_NOOP("CurveWindow", "Line:")},
                                   QT_TRANSLATE_NOOP3("CurveWindow", "Width:", "line"),
                                   {QT_TRANSLATE_NOOP("CurveWindow", "Buffe Position:")},
                                   {QT_TRANSLATE_NOOP("CurveWindow", "Full LineVal.K:")},
                                   {QT_TRANSLATE_NOOP("CurveWindow", "Zero LineVal.K:")}};
    for (int k = 0; k < CurveCount; ++k) {
        for (int i = 0; i < 7; ++i)
            c.push_back({QLatin1String(sheets[k]) + QLatin1Char('.') + QLatin1String(labels[i]),
                         curveLabels[i]});
    }

    const std::vector<Caption> rest = {
        {QStringLiteral("hideGridCheck"), {QT_TRANSLATE_NOOP("CurveWindow", "No Display Grid")}},
        {QStringLiteral("hideXInfoCheck"),
         {QT_TRANSLATE_NOOP("CurveWindow", "No Display X axis Inf")}},
        {QStringLiteral("hideYMarksCheck"),
         {QT_TRANSLATE_NOOP("CurveWindow", "No Display Y axis Annotation")}},
        {QStringLiteral("hideReadoutCheck"),
         {QT_TRANSLATE_NOOP("CurveWindow", "No Display Current Coordinate Point Value")}},
        {QStringLiteral("alarmTicksCheck"), {QT_TRANSLATE_NOOP("CurveWindow", "Show Alarms")}},
        {QStringLiteral("timeFormatLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "TimeFormat:")}},
        {QStringLiteral("xInfoColourLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Inf.Color:")}},
        {QStringLiteral("xInfoFontLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Inf.Font:")}},
        {QStringLiteral("markMaxLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Max Coor.:")}},
        {QStringLiteral("markMinLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Min Coor.:")}},
        {QStringLiteral("markDecimalsLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Decimal:")}},
        {QStringLiteral("markColourLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "MarkColor:")}},
        {QStringLiteral("markFontLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Mark Font:")}},
        {QStringLiteral("markCountLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Mark Num:")}},
        {QStringLiteral("printRangeGroup"),
         {QT_TRANSLATE_NOOP("CurveWindow", "Print Range Settings")}},
        {QStringLiteral("printStartLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "StartID:")}},
        {QStringLiteral("printEndLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "EndID:")}},
        {QStringLiteral("printPagesLabel"), {QT_TRANSLATE_NOOP("CurveWindow", "Print Pages:")}},
        {QStringLiteral("printerSetupButton"), {QT_TRANSLATE_NOOP("CurveWindow", "PrinterSet")}},
        {QStringLiteral("printButton"), {QT_TRANSLATE_NOOP("CurveWindow", "PrintStart")}},
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

QString text(const Caption &caption, Language language)
{
    return Translations::text(language, Context, caption.text.source, caption.text.comment);
}

QString showKindItem(Language language, int index)
{
    static const char *const kinds[ShowKindCount]
        = {QT_TRANSLATE_NOOP("CurveWindow", "Not use"),
           QT_TRANSLATE_NOOP("CurveWindow", "Broken Line"), QT_TRANSLATE_NOOP("CurveWindow", "Dot"),
           QT_TRANSLATE_NOOP("CurveWindow", "Column Line")};
    return index >= 0 && index < ShowKindCount ? Translations::text(language, Context, kinds[index])
                                               : QString();
}

int defaultShowKind(int curve)
{
    static const CurveSettings defaults;
    return curve >= 0 && curve < CurveCount ? defaults.curves[std::size_t(curve)].showKind : 0;
}

QString printFailed(Language language)
{
    return Translations::text(
        language, Context,
        QT_TRANSLATE_NOOP("CurveWindow", "The printer could not start a print job!"));
}

QString errorCaption(Language language)
{
    return Translations::text(language, Context, QT_TRANSLATE_NOOP("CurveWindow", "Error"));
}

QString printerSetupTitle(Language language)
{
    return Translations::text(language, Context, QT_TRANSLATE_NOOP("CurveWindow", "Printer Setup"));
}

QString okCaption(Language language)
{
    return Translations::text(language, Context, QT_TRANSLATE_NOOP("CurveWindow", "OK"));
}

QString cancelCaption(Language language)
{
    return Translations::text(language, Context, QT_TRANSLATE_NOOP("CurveWindow", "Cancel"));
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
