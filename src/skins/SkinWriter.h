#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// Writes the .skn stream that SkinReader reads: the header, then one entry per file. Refuses
// what a reader would refuse (names that leave the folder, texts longer than 255 code-page
// bytes or not representable in the code page, sizes past 2^31 - 1).
class SkinWriter {
public:
    explicit SkinWriter(QIODevice& target);

    bool writeHeader(const QString& displayName);
    // Streams the source from its current position to its end.
    bool addEntry(const QString& fileName, QIODevice& source);
    bool addEntry(const QString& fileName, const QByteArray& data);

    QString errorString() const { return m_error; }

private:
    bool writeCounted(const QString& text, const QString& what);
    bool writeEntryHeader(const QString& fileName, qint64 size);
    bool fail(const QString& error);

    QIODevice& m_target;
    QString m_error;
};
