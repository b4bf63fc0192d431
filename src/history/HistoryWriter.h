#pragma once

#include "TMess.h"

#include <QByteArray>
#include <QString>

// Builds a new History.dat in the current layout and puts it in place of the old one in one
// step: until commit() the file on disk is untouched, and a failed commit leaves it as it was.
class HistoryWriter {
public:
    explicit HistoryWriter(const QString& path);

    // Starts the new content again: the header and no records (a new writer starts so too).
    void RewriteHistory();
    // Appends one record. A Number is cut to 14 characters and a text to 65535 bytes, the
    // most their length fields can say.
    void WriteRecord(const TMess& record);
    // Replaces the file; empty on success, else a readable error.
    QString commit();

private:
    QString m_path;
    QByteArray m_content;
};
