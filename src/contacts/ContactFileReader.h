#pragma once

#include "contacts/ImportedContact.h"

#include <QByteArray>

#include <optional>

// The contacts of an address-book file, whichever of the formats people export it is in:
// vCard (2.1, 3.0, 4.0) or CSV, in UTF-8, UTF-16 or code page 1251.
namespace ContactFileReader {

// Every contact in file order; nothing when the bytes are neither a vCard file nor a CSV
// file with a phone column.
std::optional<ImportedContacts> read(const QByteArray& bytes);

} // namespace ContactFileReader
