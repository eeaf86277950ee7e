#pragma once

#include "Automation.h"

// The spreadsheet application itself, reached through ActiveX (Windows only).
std::unique_ptr<AutomationFactory> makeAxAutomation();
