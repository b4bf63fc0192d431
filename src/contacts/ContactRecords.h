#pragma once

#include "shared/BookGroup.h"
#include "shared/TContactEntry.h"

class QIODevice;

// Books carried as TContactEntry records: the old Contacts.dat file and the download from
// the service.
namespace ContactRecords {

// What Flag means: in Contacts.dat bit 0 of a contact row expands its group and bit 1 is
// Translit (a group row's byte is unused); in the download, 1 on a group row means expanded
// and 1 on a contact row means Translit.
enum class FlagMeaning { ContactsFile, ServerDownload };

// Reads whole records until the end; a trailing piece shorter than a record is ignored.
// Returns false on a read error (the records read so far stay in the list).
bool read(QIODevice& device, TContacts& records);

// The book the records describe, in their order. Contacts have an empty Sender; their Name
// is the caption. Contact rows before the first group row go into a group of their own
// rather than becoming groups themselves.
QList<BookGroup> toBook(const TContacts& records, FlagMeaning meaning);

// Caption of the group that takes contact rows found before any group row.
inline const QString kUngroupedCaption = QStringLiteral("Без группы");

} // namespace ContactRecords
