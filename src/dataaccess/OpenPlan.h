#pragma once

// How a database file is opened for reading only, so that nothing is created next to it and
// nothing in it changes.

#include <QByteArray>
#include <QString>

struct ReadOnlyOpenPlan
{
    // File name for sqlite3_open_v2 with SQLITE_OPEN_URI.
    QByteArray uri;
};

// A `file:` URI naming `path` exactly, with its query (for example "mode=ro").
QByteArray fileUri(const QString &path, const QByteArray &query);

ReadOnlyOpenPlan planReadOnlyOpen(const QString &fileName);
