#pragma once

#include <QByteArray>

// Raw .skn bytes for tests, built by hand so that hostile files can be made too.
namespace SkinBytes {

QByteArray counted(const QByteArray& text);
QByteArray header(const QByteArray& name, const QByteArray& version = "2.1");
QByteArray sizeField(quint32 size);
QByteArray entry(const QByteArray& name, const QByteArray& data);

// Writes bytes to path; false when the file cannot be written.
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace SkinBytes
