#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

// Reads the .skn stream: "skn", a counted version text ("2.1" only), a counted display name,
// then entries (counted file name, 4-byte big-endian size, data) up to the end of the stream.
// The input is treated as hostile: nothing is written outside the target folder and a large
// entry is copied in chunks, never held whole.
class SkinReader {
public:
    enum class Status { Ok, BadFormat, BadVersion, ReadError };

    static constexpr qint64 MaxEntrySize = 0x7FFFFFFF;

    explicit SkinReader(QIODevice& source);

    // Magic, version and display name. Running out of bytes is a read error.
    Status readHeader();
    QString name() const { return m_name; }

    // Every remaining entry into folder (which must end with "/"), each file replaced
    // atomically. A hostile name, a size past the end of the stream or a failed write stops
    // with ReadError; entries before it stay unpacked. The names written are added to
    // `written` when given.
    Status unpackTo(const QString& folder, QStringList* written = nullptr);

    // The display name of a skin file, or empty when it cannot be read or its header is wrong.
    static QString readDisplayName(const QString& path);

    // A bare file name that stays inside the folder it is unpacked to.
    static bool isSafeEntryName(const QString& name);

private:
    bool readExactly(qint64 count, QByteArray& out);
    bool readCounted(QByteArray& out);
    bool copyEntry(const QString& path, qint64 size);

    QIODevice& m_source;
    QString m_name;
};
