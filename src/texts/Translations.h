#pragma once

#include "platform/Language.h"

#include <QString>

// The program's texts are written in English, marked with QT_TRANSLATE_NOOP
// under a context per window, and translated in translations/*.ts, which the
// build compiles into the program.
namespace Translations {

// `source` in `language`: in Chinese from the catalogue, else `source` itself, whichever
// translator is installed: a window applies the language of its own moment.
// A text the catalogue lacks stays in English.
QString text(Language language, const char *context, const char *source,
             const char *disambiguation = nullptr);

// Makes Chinese or English the language of the moment by installing the
// Chinese translators (ours, and Qt's own where the system has it) or removing them; the windows
// hear of it by a LanguageChange event. Needs the application object.
void install(Language language);

// Whether install() brings Qt's own catalogue too (the default). Runs without windows leave it
// out: it also translates the system's error texts, which the command line prints in English.
void useQtCatalogue(bool use);

} // namespace Translations
