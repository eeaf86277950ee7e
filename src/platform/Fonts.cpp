#include "Fonts.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutes()
{
    const QStringList cjk = {QStringLiteral("SimSun"),
                             QStringLiteral("NSimSun"),
                             QStringLiteral("WenQuanYi Zen Hei"),
                             QStringLiteral("WenQuanYi Zen Hei Sharp"),
                             QStringLiteral("Noto Sans CJK SC"),
                             QStringLiteral("Noto Serif CJK SC")};
    QFont::insertSubstitutions(QStringLiteral("宋体"), cjk);
    QFont::insertSubstitutions(QStringLiteral("楷体"), QStringList {QStringLiteral("KaiTi")} + cjk);
    QFont::insertSubstitutions(QStringLiteral("黑体"),
                               QStringList {QStringLiteral("SimHei")} + cjk);
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
}
