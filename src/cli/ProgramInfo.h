#pragma once

#include "platform/Language.h"

#include <QString>

// What `norvale --version` and `norvale --help` print.
namespace ProgramInfo {

// "Norvale 1.66": the name and the version the build was given.
QString versionText();
// Usage, every option and the exit statuses, in Chinese or English.
QString helpText(Language language);

} // namespace ProgramInfo
