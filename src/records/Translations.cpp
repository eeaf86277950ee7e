#include "records/Translations.h"

#include <QCoreApplication>
#include <QTranslator>

namespace Translations {

namespace {

QTranslator &chineseCatalogue()
{
    static QTranslator translator;
    static const bool loaded = [] {
        const bool ok = translator.load(QStringLiteral(":/i18n/norvale_zh_CN.qm"));
        if (!ok)
            qWarning("the Chinese texts are missing from the program");
        return ok;
    }();
    Q_UNUSED(loaded);
    return translator;
}

bool installed = false;

} // namespace

QString text(bool chinese, const char *context, const char *source, const char *disambiguation)
{
    if (chinese) {
        const QString translated = chineseCatalogue().translate(context, source, disambiguation);
        if (!translated.isEmpty())
            return translated;
    }
    return QString::fromUtf8(source);
}

void install(bool chinese)
{
    // Installing twice would stack the same catalogue twice.
    if (chinese == installed)
        return;
    installed = chinese;
    if (chinese)
        QCoreApplication::installTranslator(&chineseCatalogue());
    else
        QCoreApplication::removeTranslator(&chineseCatalogue());
}

} // namespace Translations
