#include "curves/FontClasses.h"

#include <array>
#include <cmath>

namespace FontClasses {

namespace {

constexpr std::array<FontClass, Count> table = {{
    {12, 8, 16},
    {19, 14, 24},
    {24, 17, 32},
    {36, 24, 48},
    {48, 32, 64},
    {72, 48, 96},
    {98, 64, 128},
    {146, 96, 192},
    {196, 128, 256},
    {246, 160, 320},
}};

const QString &songFace()
{
    static const QString face = QStringLiteral("宋体");
    return face;
}

const QString &kaiFace()
{
    static const QString face = QStringLiteral("楷体");
    return face;
}

// A Ming face with half-width Latin glyphs first: at 16 pixels it fills the
// 8 x 16 cell of class "8X16" exactly, as the Windows face does.
QStringList songFallbacks()
{
    return {QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"),
            QStringLiteral("WenQuanYi Zen Hei Mono"), QStringLiteral("WenQuanYi Zen Hei")};
}

QFont makeFont(const QString &face, const QStringList &fallbacks, int pixels)
{
    // The whole family list is given, so no name substitution is needed.
    QFont f;
    QStringList families {face};
    families += fallbacks;
    f.setFamilies(families);
    f.setPixelSize(pixels > 0 ? pixels : 1);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

} // namespace

FontClass at(int index)
{
    return table[static_cast<std::size_t>(qBound(0, index, Count - 1))];
}

int pixelSize(int points)
{
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

QFont pictureFont(int points)
{
    QFont f = makeFont(songFace(), songFallbacks().mid(1), pixelSize(points));
    // Pure text pixels in the brush's colour, as on the panel.
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QFont windowFont(int pixels)
{
    return makeFont(songFace(), songFallbacks().mid(1), pixels);
}

QFont headingFont(int pixels)
{
    QFont f = makeFont(
        kaiFace(), {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Zen Hei Mono")},
        pixels);
    f.setBold(true);
    return f;
}

} // namespace FontClasses
