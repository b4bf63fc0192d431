#pragma once

#include "ImportedContact.h"

#include <QByteArray>

// Address-book files in vCard 2.1, 3.0 and 4.0 as phones, mail programs and our own export
// write them: every card becomes one contact, in file order.
namespace VCardReader {

// Whether the bytes start (after a UTF-8 byte order mark and blank space) with BEGIN:VCARD.
bool looksLikeVCard(const QByteArray& bytes);

// Every card of the file. The name is FN, or N's given and family name; the number is the
// first TEL typed CELL, else the first TEL; the group is the first category; signature,
// sender and translit come from our own X-VARNELO- fields. A card cut off before its END
// still counts; lines outside cards are passed over.
ImportedContacts read(const QByteArray& bytes);

} // namespace VCardReader
