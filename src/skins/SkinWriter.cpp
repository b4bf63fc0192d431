#include "SkinWriter.h"

#include "SkinReader.h"
#include "platform/Ansi.h"

#include <QBuffer>
#include <QIODevice>

#include <array>

SkinWriter::SkinWriter(QIODevice& target)
    : m_target(target) {
}

bool SkinWriter::fail(const QString& error) {
    m_error = error;
    return false;
}

bool SkinWriter::writeCounted(const QString& text, const QString& what) {
    if (Ansi::representable(text) != text)
        return fail(what + QStringLiteral(" is not representable in code page 1251: ") + text);
    QByteArray bytes = Ansi::fromUnicode(text);
    if (bytes.size() > 255)
        return fail(what + QStringLiteral(" is longer than 255 bytes: ") + text);
    bytes.prepend(char(bytes.size()));
    if (m_target.write(bytes) != bytes.size())
        return fail(m_target.errorString());
    return true;
}

bool SkinWriter::writeHeader(const QString& displayName) {
    if (m_target.write("skn") != 3)
        return fail(m_target.errorString());
    return writeCounted(QStringLiteral("2.1"), QStringLiteral("version")) &&
           writeCounted(displayName, QStringLiteral("display name"));
}

bool SkinWriter::writeEntryHeader(const QString& fileName, qint64 size) {
    if (!SkinReader::isSafeEntryName(fileName))
        return fail(QStringLiteral("not a plain file name: ") + fileName);
    if (size < 0 || size > SkinReader::MaxEntrySize)
        return fail(QStringLiteral("file too large for a skin: ") + fileName);
    if (!writeCounted(fileName, QStringLiteral("file name")))
        return false;
    const char sizeBytes[4] = {char(size >> 24), char(size >> 16), char(size >> 8), char(size)};
    if (m_target.write(sizeBytes, 4) != 4)
        return fail(m_target.errorString());
    return true;
}

bool SkinWriter::addEntry(const QString& fileName, QIODevice& source) {
    if (source.isSequential())
        return fail(QStringLiteral("cannot tell the size of ") + fileName);
    const qint64 size = source.size() - source.pos();
    if (!writeEntryHeader(fileName, size))
        return false;
    std::array<char, 64 * 1024> buffer;
    for (qint64 left = size; left > 0;) {
        const qint64 read = source.read(buffer.data(), std::min<qint64>(left, buffer.size()));
        if (read <= 0)
            return fail(QStringLiteral("read failed: ") + fileName);
        if (m_target.write(buffer.data(), read) != read)
            return fail(m_target.errorString());
        left -= read;
    }
    return true;
}

bool SkinWriter::addEntry(const QString& fileName, const QByteArray& data) {
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return addEntry(fileName, buffer);
}
