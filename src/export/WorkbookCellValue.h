#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What a spreadsheet application makes of a text typed into a cell, limited
// to what it shows again exactly as typed: a decimal number, a date, a time
// or a date and time becomes a value with a number format that reproduces
// the text; everything else stays text. A leading apostrophe keeps the rest
// as text, as it does when typed.
struct WorkbookCellValue
{
    enum class Kind : std::uint8_t { Text, Number };

    Kind kind = Kind::Text;
    // Number: the value (dates and times as serial days since 1899-12-30).
    double number = 0;
    // Number: which number format shows it (see numberFormatText).
    std::uint16_t format = 0;
    // Text: where the kept text starts (past an apostrophe).
    std::size_t textStart = 0;
};

// `decimalSeparator` is the one the texts were written with (UTF-8).
WorkbookCellValue workbookCellValue(std::string_view text, std::string_view decimalSeparator);

// The number format of a WorkbookCellValue::format, such as "0", "0.000",
// "0.0E-0", "yyyy-mm-dd", "hh:mm:ss" or "yyyy-mm-dd hh:mm:ss".
std::string numberFormatText(std::uint16_t format);
