#pragma once

#include "shared/BookGroup.h"
#include "shared/TContactEntry.h"

#include <QList>
#include <QString>

// The contact book as the service keeps it: per group 0x02, "1"/"0" for expanded and the
// caption; per contact 0x04, caption, 0x03, number, 0x03, signature, 0x03, "1"/"0" for
// transliteration and 0x05. Senders do not travel.
namespace ContactsPayload {

// The upload text in book order; an empty book gives the empty text. The protocol's
// separator characters are left out of the texts, so no entry can break the payload.
QString build(const QList<BookGroup>& book);

// Reads the reply of the download ("OK" + Base64 of the payload) into `contacts`, each text
// cut to its record field. False for any other reply and for a malformed payload, with the
// rows read before the fault kept. True with `contacts` untouched for "OK" alone and for a
// payload that does not start with a group.
bool readReply(const QString& reply, TContacts& contacts);

} // namespace ContactsPayload
