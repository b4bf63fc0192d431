#pragma once

#include "Registry.h"

struct sqlite3;

namespace RegistryStore {

// The key with the given id and everything below it, children and values in the order
// subkeys() and valueNames() give. The caller holds the store's lock and names the top.
Registry::Branch readBranch(sqlite3* db, qint64 top);

} // namespace RegistryStore
