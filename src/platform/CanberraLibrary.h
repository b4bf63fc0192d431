#pragma once

#include <canberra.h>

// The sound library's calls, looked up when the first sound plays rather than when the
// program loads: it and the codecs it pulls in cost every start time, and a machine without
// it still runs the program, silently.
struct CanberraLibrary {
    decltype(&ca_context_create) contextCreate = nullptr;
    decltype(&ca_context_destroy) contextDestroy = nullptr;
    decltype(&ca_context_play_full) contextPlayFull = nullptr;
    decltype(&ca_context_cancel) contextCancel = nullptr;
    decltype(&ca_proplist_create) proplistCreate = nullptr;
    decltype(&ca_proplist_destroy) proplistDestroy = nullptr;
    decltype(&ca_proplist_sets) proplistSets = nullptr;

    // Loaded once, on first use, from any thread; null when the library or one of its
    // calls is missing.
    static const CanberraLibrary* get();
};
