#pragma once

#include "shared/Tariff.h"

#include <QString>

// What the program knows of the account: the key it uses and what the last login told.
// Read and written whole, so a reader never sees half of a login's values.
struct AccountState {
    QString userKey; // in plain; empty means no account
    double balance = 0;
    bool balanceKnown = false; // a login reply gave the balance
    Tariff tariff;
    bool serverContactsEnabled = false;
    bool extraOptionEnabled = false;
};
