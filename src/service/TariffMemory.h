#pragma once

#include "shared/Tariff.h"

#include <optional>

class Registry;

// The prices and lengths of the last login that told them all, kept in the store so that a
// send can be priced without logging in. The length check is no part of it: it is a setting.
namespace TariffMemory {

// Writes only what changed; a store that fails is left as it was, since the next login
// tries again.
void remember(Registry& store, const Tariff& tariff);
// Nothing when no login has told a whole tariff, or what is kept is incomplete.
std::optional<Tariff> recall(const Registry& store);

} // namespace TariffMemory
