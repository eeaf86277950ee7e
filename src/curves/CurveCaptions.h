#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The curve window's captions in both UI languages, in the order a showing
// writes them. The window itself is named "TLSCurrentFrm".
namespace CurveCaptions {

struct Caption
{
    QString objectName;
    QString chinese;
    QString english;
};

const std::vector<Caption> &all();

// The item each curve's show kind is reset to at every showing.
int defaultShowKind(int curve);

// The printer set-up dialog's title and its two buttons.
QString printerSetupTitle(bool chinese);
QString okCaption(bool chinese);
QString cancelCaption(bool chinese);

// Fixed items, the same in both languages.
QStringList lineStyleItems();
QStringList lineWidthItems();

} // namespace CurveCaptions
