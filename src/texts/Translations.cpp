#include "texts/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
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

// Qt's own texts (the file dialogs, the printer set-up) from the catalogue
// the system's Qt brings; without it they stay in English.
QTranslator &qtCatalogue()
{
    static QTranslator translator;
    static const bool loaded = translator.load(QStringLiteral("qtbase_zh_CN"),
                                               QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    Q_UNUSED(loaded);
    return translator;
}

Language installed = Language::English;
bool withQtCatalogue = true;

} // namespace

QString text(Language language, const char *context, const char *source, const char *disambiguation)
{
    if (language == Language::Chinese) {
        const QString translated = chineseCatalogue().translate(context, source, disambiguation);
        if (!translated.isEmpty())
            return translated;
    }
    return QString::fromUtf8(source);
}

void useQtCatalogue(bool use)
{
    withQtCatalogue = use;
}

void install(Language language)
{
    // Installing twice would stack the same catalogue twice.
    if (language == installed)
        return;
    installed = language;
    if (language == Language::Chinese) {
        if (withQtCatalogue && !qtCatalogue().isEmpty())
            QCoreApplication::installTranslator(&qtCatalogue());
        QCoreApplication::installTranslator(&chineseCatalogue());
    } else {
        QCoreApplication::removeTranslator(&chineseCatalogue());
        QCoreApplication::removeTranslator(&qtCatalogue());
    }
}

} // namespace Translations
