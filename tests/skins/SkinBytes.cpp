#include "SkinBytes.h"

#include <QFile>

namespace SkinBytes {

QByteArray counted(const QByteArray& text) {
    return char(text.size()) + text;
}

QByteArray header(const QByteArray& name, const QByteArray& version) {
    return "skn" + counted(version) + counted(name);
}

QByteArray sizeField(quint32 size) {
    const char bytes[4] = {char(size >> 24), char(size >> 16), char(size >> 8), char(size)};
    return QByteArray(bytes, 4);
}

QByteArray entry(const QByteArray& name, const QByteArray& data) {
    return counted(name) + sizeField(quint32(data.size())) + data;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

} // namespace SkinBytes
