#include "HistoryBytes.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace HistoryBytes {

namespace {

template <typename T> QByteArray littleEndian(T value) {
    QByteArray bytes(sizeof(T), '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray doubleBytes(double value) {
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return littleEndian(bits);
}

} // namespace

QByteArray fixedBlock(const Fixed& fixed) {
    QByteArray block = littleEndian(fixed.id) + littleEndian(fixed.reserved) +
                       doubleBytes(fixed.date) + doubleBytes(fixed.time);
    block.append(char(fixed.status));
    block.append(char(fixed.numberLength));
    block.append(fixed.number.left(14));
    block.append(14 - std::min<qsizetype>(fixed.number.size(), 14), '\0');
    Q_ASSERT(block.size() == 40);
    return block;
}

QByteArray lengthAndBytes(const QByteArray& bytes) {
    return littleEndian(quint16(bytes.size())) + bytes;
}

QByteArray v22Record(const Fixed& fixed, const QByteArray& text, const QByteArray& sender,
                     const QByteArray& sign) {
    return fixedBlock(fixed) + lengthAndBytes(text) + lengthAndBytes(sender) + lengthAndBytes(sign);
}

QByteArray v21Record(const Fixed& fixed, const QByteArray& text, const QByteArray& sender) {
    return fixedBlock(fixed) + lengthAndBytes(text) + lengthAndBytes(sender);
}

QByteArray v20Record(const Fixed& fixed, const QByteArray& text) {
    return fixedBlock(fixed) + lengthAndBytes(text);
}

QByteArray headerlessRecord(const Fixed& fixed, const QByteArray& text, char filler) {
    QByteArray record = fixedBlock(fixed) + QByteArray(2, 'x');
    record.append(text.left(240));
    record.append(240 - std::min<qsizetype>(text.size(), 240), filler);
    record.append(6, 'y');
    Q_ASSERT(record.size() == 288);
    return record;
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace HistoryBytes
