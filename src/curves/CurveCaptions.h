#pragma once

#include "platform/Language.h"

#include <QString>
#include <QStringList>

#include <vector>

// The curve window's captions in both UI languages, in the order a showing
// writes them, from the translation file (context "CurveWindow", the
// window's name).
namespace CurveCaptions {

// The English text, the key of the translation, and what tells it apart
// from the same English text elsewhere in the window.
struct Source
{
    const char *source;
    const char *comment = nullptr;
};

struct Caption
{
    // The control's name; a curve tab's control is named after its tab too,
    // the two joined by a dot ("curveTab1.showKindLabel").
    QString objectName;
    Source text;
};

const std::vector<Caption> &all();
QString text(const Caption &caption, Language language);

// The show-kind items: not used, broken line, dot, column line.
QString showKindItem(Language language, int index);
inline constexpr int ShowKindCount = 4;
// The item each curve's show kind is reset to at every showing.
int defaultShowKind(int curve);

// The print failure message and its caption.
QString printFailed(Language language);
QString errorCaption(Language language);
// The printer set-up dialog's title and its two buttons.
QString printerSetupTitle(Language language);
QString okCaption(Language language);
QString cancelCaption(Language language);

// Fixed items, the same in both languages.
QStringList lineStyleItems();
QStringList lineWidthItems();

} // namespace CurveCaptions
