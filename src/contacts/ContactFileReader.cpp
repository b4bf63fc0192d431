#include "ContactFileReader.h"

#include "contacts/CsvContactReader.h"
#include "contacts/VCardReader.h"

#include <QStringDecoder>

namespace ContactFileReader {

namespace {

// UTF-16 with a byte order mark (how some Windows programs save), as UTF-8; other bytes as
// they are, since a vCard names its own character sets value by value.
QByteArray asEightBit(const QByteArray& bytes) {
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    if (!utf16)
        return bytes;
    QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                        : QStringConverter::Utf16BE);
    return QString(decoder(bytes.mid(2))).toUtf8();
}

} // namespace

std::optional<ImportedContacts> read(const QByteArray& bytes) {
    const QByteArray eightBit = asEightBit(bytes);
    if (VCardReader::looksLikeVCard(eightBit))
        return VCardReader::read(eightBit);
    return CsvContactReader::read(bytes);
}

} // namespace ContactFileReader
