#pragma once

#include <QByteArray>
#include <QString>

// Whole-file rewrites: the new content replaces the old atomically, or the old stays.
// Returns an empty string on success, else a readable error.
QString saveFileAtomically(const QString& path, const QByteArray& content);
