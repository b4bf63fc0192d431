#include "SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

QString saveFileAtomically(const QString& path, const QByteArray& content, FileAccess access) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // The new file takes the mode of the one it replaces; a private one is made private
    // before it holds a byte.
    if (access == FileAccess::Private && ::fchmod(file.handle(), 0600) != 0) {
        const QString error = qt_error_string(errno);
        file.cancelWriting();
        return error;
    }
    // The write only fills the file's buffer; a full disk shows when it is flushed, and
    // commit() lets a failed flush through and puts the torn file in place of the old one.
    if (file.write(content) != content.size() || !file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

QString copyToNewFile(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
    QFile copy(to);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return copy.errorString();
    QString error;
    QByteArray chunk;
    while (error.isEmpty() && !source.atEnd()) {
        chunk = source.read(256 * 1024);
        if (source.error() != QFileDevice::NoError)
            error = source.errorString();
        else if (copy.write(chunk) != chunk.size())
            error = copy.errorString();
    }
    if (error.isEmpty() && !copy.flush())
        error = copy.errorString();
    if (error.isEmpty() && ::fsync(copy.handle()) != 0)
        error = qt_error_string(errno);
    copy.close();
    if (!error.isEmpty())
        copy.remove();
    return error;
}
