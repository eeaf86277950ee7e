#pragma once

#include "automation/Automation.h"

// The spreadsheet application itself, reached through ActiveX (Windows only).
std::unique_ptr<AutomationFactory> makeAxAutomation();
