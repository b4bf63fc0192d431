#pragma once

#include "Registry.h"

struct sqlite3;

namespace RegistryStore {

// Brings the key with the given id and everything below it to `branch`, touching only rows
// that differ. The caller holds the store's lock and a transaction.
void replaceBranch(sqlite3* db, qint64 top, const Registry::Branch& branch);

} // namespace RegistryStore
