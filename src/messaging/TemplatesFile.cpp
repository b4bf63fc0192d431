#include "TemplatesFile.h"

#include "platform/Ansi.h"
#include "platform/AppPaths.h"
#include "platform/SaveFile.h"

#include <QFile>
#include <QRegularExpression>

namespace {

QRecursiveMutex& templatesLock() {
    static QRecursiveMutex lock;
    return lock;
}

} // namespace

QString TemplatesFile::defaultPath() {
    return AppPaths::dataFolder() + QStringLiteral("Templates.dat");
}

TemplatesFile::TemplatesFile(const QString& path)
    : m_path(path) {
}

QString TemplatesFile::toMessage(const QString& line) {
    return QString(line).replace(QStringLiteral("||"), QStringLiteral("\r\n"));
}

QStringList TemplatesFile::read(QString* error) const {
    if (error)
        error->clear();
    QFile file(m_path);
    if (!file.exists())
        return {};
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        if (error)
            *error =
                QStringLiteral("Не удалось прочитать файл %1: %2").arg(m_path, file.errorString());
        return {};
    }
    const QString text = Ansi::toUnicode(bytes);
    QStringList templates;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        templates.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        templates.append(text.mid(start));
    return templates;
}

QString TemplatesFile::write(const QStringList& templates) const {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QByteArray content;
    for (const QString& line : templates) {
        content.append(Ansi::fromUnicode(QString(line).replace(lineBreak, QStringLiteral("||"))));
        content.append("\r\n");
    }
    const FileLock held = lock();
    if (!held.errorString().isEmpty())
        return held.errorString();
    return saveFileAtomically(m_path, content);
}

FileLock TemplatesFile::lock() const {
    return FileLock(templatesLock(), m_path);
}
