#pragma once

// The SQLite C library's functions, types and result codes, and the texts of its result codes.

#include <sqlite3.h>

#include <QString>

// The fixed English text of a primary SQLite result code; any code not in the table gives
// Unknown SQLite Error Code "<code>".
QString ErrorCodeText(int code);
