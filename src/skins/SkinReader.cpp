#include "SkinReader.h"

#include "platform/Ansi.h"

#include <QFile>
#include <QTemporaryFile>

#include <array>
#include <filesystem>
#include <system_error>

namespace {

constexpr qint64 kChunkSize = 64 * 1024;

} // namespace

SkinReader::SkinReader(QIODevice& source)
    : m_source(source) {
}

bool SkinReader::readExactly(qint64 count, QByteArray& out) {
    out = m_source.read(count);
    return out.size() == count;
}

bool SkinReader::readCounted(QByteArray& out) {
    QByteArray length;
    if (!readExactly(1, length))
        return false;
    return readExactly(static_cast<unsigned char>(length[0]), out);
}

SkinReader::Status SkinReader::readHeader() {
    QByteArray bytes;
    if (!readExactly(3, bytes))
        return Status::ReadError;
    if (bytes != "skn")
        return Status::BadFormat;
    if (!readCounted(bytes))
        return Status::ReadError;
    if (bytes != "2.1")
        return Status::BadVersion;
    if (!readCounted(bytes))
        return Status::ReadError;
    m_name = Ansi::toUnicode(bytes);
    return Status::Ok;
}

bool SkinReader::isSafeEntryName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name.contains(QLatin1String("..")))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return false;
    }
    return true;
}

SkinReader::Status SkinReader::unpackTo(const QString& folder, QStringList* written) {
    while (!m_source.atEnd()) {
        QByteArray rawName;
        QByteArray sizeBytes;
        if (!readCounted(rawName) || !readExactly(4, sizeBytes))
            return Status::ReadError;
        const QString name = Ansi::toUnicode(rawName);
        const qint64 size = (qint64(quint8(sizeBytes[0])) << 24) | (quint8(sizeBytes[1]) << 16) |
                            (quint8(sizeBytes[2]) << 8) | quint8(sizeBytes[3]);
        if (!isSafeEntryName(name) || size > MaxEntrySize)
            return Status::ReadError;
        // Checked before the file is touched, so a truncated skin never replaces a good
        // picture left by an earlier run.
        if (!m_source.isSequential() && size > m_source.size() - m_source.pos())
            return Status::ReadError;
        if (!copyEntry(folder + name, size))
            return Status::ReadError;
        if (written)
            written->append(name);
    }
    return Status::Ok;
}

bool SkinReader::copyEntry(const QString& path, qint64 size) {
    // The working folder is a private scratch copy, remade at every start: a picture is
    // replaced in one step, so no reader sees half of it, but it is not worth a disk sync.
    QTemporaryFile target(path + QStringLiteral(".XXXXXX"));
    if (!target.open())
        return false;
    std::array<char, kChunkSize> buffer;
    for (qint64 left = size; left > 0;) {
        const qint64 read = m_source.read(buffer.data(), std::min<qint64>(left, kChunkSize));
        if (read <= 0 || target.write(buffer.data(), read) != read)
            return false;
        left -= read;
    }
    if (!target.flush())
        return false;
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(target.fileName()).toStdString(),
                            QFile::encodeName(path).toStdString(), error);
    if (error)
        return false;
    target.setAutoRemove(false);
    return true;
}

QString SkinReader::readDisplayName(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    SkinReader reader(file);
    return reader.readHeader() == Status::Ok ? reader.name() : QString();
}
