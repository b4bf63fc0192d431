#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Hand-made history records, byte by byte, independent of the reader and writer under test.
namespace HistoryBytes {

struct Fixed {
    qint32 id = 0;
    quint32 reserved = 0;
    double date = 0;
    double time = 0;
    quint8 status = 10;
    quint8 numberLength = 0;
    QByteArray number; // up to 14 bytes, padded with zeros
};

QByteArray fixedBlock(const Fixed& fixed);
QByteArray lengthAndBytes(const QByteArray& bytes);
QByteArray v22Record(const Fixed& fixed, const QByteArray& text, const QByteArray& sender,
                     const QByteArray& sign);
QByteArray v21Record(const Fixed& fixed, const QByteArray& text, const QByteArray& sender);
QByteArray v20Record(const Fixed& fixed, const QByteArray& text);
// 40-byte block, 2 ignored bytes, 240 bytes of text (zero-padded), 6 ignored bytes.
QByteArray headerlessRecord(const Fixed& fixed, const QByteArray& text, char filler = '\0');

void writeFile(const QString& path, const QByteArray& content);
QByteArray readFile(const QString& path);

} // namespace HistoryBytes
