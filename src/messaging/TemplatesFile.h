#pragma once

#include "platform/FileLock.h"

#include <QString>
#include <QStringList>

// Templates.dat: the ready-made texts, one a line, in code page 1251.
class TemplatesFile {
public:
    // Templates.dat in the user's data folder.
    static QString defaultPath();

    explicit TemplatesFile(const QString& path = defaultPath());

    // The text a template puts into a message: every "||" becomes CR LF.
    static QString toMessage(const QString& line);

    // Every line is a template, an empty one too; CR LF, LF and CR all end a line, and the
    // line end after the last line adds none. A missing file gives none; a file that exists
    // but cannot be read gives none and an error, so that nobody saves over it unawares.
    QStringList read(QString* error = nullptr) const;

    // One line each, ended by CR LF, replacing the file in one step. A line break inside a
    // template is stored as "||", which is how a template says "new line". Empty on success,
    // else a readable error.
    QString write(const QStringList& templates) const;

    // Held by every write; a caller that reads, changes and writes the list holds it across
    // all three, so that another process's write in between is not lost.
    FileLock lock() const;

private:
    QString m_path;
};
