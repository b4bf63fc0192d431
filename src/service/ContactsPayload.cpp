#include "ContactsPayload.h"

#include "platform/Ansi.h"
#include "service/ServiceProtocol.h"

namespace ContactsPayload {

namespace {

using namespace ServiceProtocol;

const QString kDone = QStringLiteral("OK");

QString withoutSeparators(const QString& text) {
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x01 || c.unicode() > 0x05)
            clean += c;
    }
    return clean;
}

QString flagText(bool flag) {
    return flag ? QStringLiteral("1") : QStringLiteral("0");
}

std::optional<QByteArray> decodeBase64(const QString& text) {
    QByteArray base64 = text.toLatin1();
    base64.replace('\r', QByteArray()).replace('\n', QByteArray());
    const auto decoded =
        QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return *decoded;
}

// One contact piece without its leading 0x04: exactly four parts.
bool appendContact(const QString& piece, TContacts& contacts) {
    const QStringList parts = piece.mid(1).split(kRead);
    if (parts.size() != 4 || parts[3].isEmpty())
        return false;
    contacts.append(TContactEntry::make(parts[0], parts[1], parts[2], false,
                                        parts[3].startsWith(QLatin1Char('1')) ? 1 : 0));
    return true;
}

} // namespace

QString build(const QList<BookGroup>& book) {
    QString payload;
    for (const BookGroup& group : book) {
        payload +=
            kRecord + flagText(group.entry.expanded) + withoutSeparators(group.entry.caption);
        for (const BookEntry& contact : group.contacts) {
            payload += kStore + withoutSeparators(contact.caption) + kRead +
                       withoutSeparators(contact.Number) + kRead + withoutSeparators(contact.Sign) +
                       kRead + flagText(contact.Translit) + kEntryEnd;
        }
    }
    return payload;
}

bool readReply(const QString& reply, TContacts& contacts) {
    if (!reply.startsWith(kDone))
        return false;
    if (reply.size() == kDone.size())
        return true;
    const std::optional<QByteArray> decoded = decodeBase64(reply.mid(kDone.size()));
    if (!decoded || decoded->isEmpty())
        return false;
    const QString text = Ansi::toUnicode(*decoded);
    if (text[0] != kRecord)
        return true;

    contacts.clear();
    const QStringList chunks = text.mid(1).split(kRecord);
    for (const QString& chunk : chunks) {
        if (chunk.isEmpty())
            return false;
        const qsizetype firstContact = chunk.indexOf(kStore);
        // The name runs from the second character (the first is the expanded flag).
        const QString name = firstContact < 0   ? chunk.mid(1)
                             : firstContact < 1 ? QString()
                                                : chunk.mid(1, firstContact - 1);
        contacts.append(TContactEntry::make(name, QString(), QString(), true,
                                            chunk[0] == QLatin1Char('1') ? 1 : 0));
        if (firstContact < 0)
            continue;
        QStringList pieces = chunk.mid(firstContact).split(kEntryEnd);
        // The text after the closing 0x05 of the last contact is not a piece.
        if (pieces.last().isEmpty())
            pieces.removeLast();
        for (const QString& piece : pieces) {
            if (!appendContact(piece, contacts))
                return false;
        }
    }
    return true;
}

} // namespace ContactsPayload
