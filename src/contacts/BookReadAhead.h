#pragma once

#include "contacts/ContactStore.h"

#include <future>
#include <optional>

// Reads the stored contact book on a thread of its own, through a store handle of its own,
// so that the biggest read of the start overlaps making the skin and the windows.
class BookReadAhead {
public:
    // Starts reading at once.
    BookReadAhead();
    ~BookReadAhead();

    BookReadAhead(const BookReadAhead&) = delete;
    BookReadAhead& operator=(const BookReadAhead&) = delete;

    // Waits for the read. Nothing when it failed (the load then reads again itself and
    // reports the failure) or when the result was taken already.
    std::optional<ContactStore::StoredBook> take();

private:
    std::future<ContactStore::StoredBook> m_read;
};
