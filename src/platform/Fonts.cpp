#include "platform/Fonts.h"

#include <QStringList>

QStringList songFamilies()
{
    // A Ming face with half-width Latin glyphs first: at 16 pixels it fills an
    // 8 x 16 cell exactly, as the Windows face does; sans CJK faces after it.
    return {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"),
            QStringLiteral("WenQuanYi Zen Hei Mono"), QStringLiteral("WenQuanYi Zen Hei"),
            QStringLiteral("Noto Serif CJK SC"),
            // Last, for what the faces above lack: the rarer ideographs outside the Basic
            // Multilingual Plane (𠮷, U+20BB7), which alarm texts may hold; Windows has
            // them in SimSun's companion face.
            QStringLiteral("HanaMinB"), QStringLiteral("SimSun-ExtB")};
}

QStringList sansFamilies()
{
    // The layouts were made for an 11-pixel face as wide as Arial; a face
    // with Arial's metrics comes before the wider DejaVu Sans.
    return {QStringLiteral("MS Sans Serif"),   QStringLiteral("Microsoft Sans Serif"),
            QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
            QStringLiteral("DejaVu Sans"),     QStringLiteral("WenQuanYi Zen Hei")};
}

QStringList captionFamilies()
{
    // Latin letters of a narrow face, at 14 pixels as wide as the 11-pixel
    // sans face, so that English captions fit where the Chinese ones do;
    // Chinese glyphs still come from the Song faces.
    return QStringList {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow")}
    + songFamilies();
}

namespace {

QFont withFamilies(const QStringList &families, int pixelSize)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize > 0 ? pixelSize : 1);
    return font;
}

} // namespace

QFont songFace(int pixelSize)
{
    return withFamilies(songFamilies(), pixelSize);
}

QFont sansFace(int pixelSize)
{
    return withFamilies(sansFamilies(), pixelSize);
}

QFont captionFace(int pixelSize)
{
    return withFamilies(captionFamilies(), pixelSize);
}

void installFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("宋体"), songFamilies().mid(1));
    QFont::insertSubstitutions(QStringLiteral("黑体"),
                               {QStringLiteral("SimHei"), QStringLiteral("WenQuanYi Zen Hei")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sansFamilies().mid(1));
}
