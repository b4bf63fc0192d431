#pragma once

#include "contacts/ContactStore.h"

#include <QString>

#include <memory>
#include <optional>

class QThread;

// Reads the stored contact book on a thread of its own, through a store connection of its
// own to the store's file, so that the biggest read of the start overlaps making the skin and
// the windows. A plain thread that is waited for rather than a worker with a callback: it
// starts before the application object and is taken while the start still runs, before any
// event loop could deliver a callback.
class BookReadAhead {
public:
    // Starts reading the store at `storePath` at once.
    explicit BookReadAhead(const QString& storePath);
    ~BookReadAhead();

    BookReadAhead(const BookReadAhead&) = delete;
    BookReadAhead& operator=(const BookReadAhead&) = delete;

    // Waits for the read. Nothing when it failed (the load then reads again itself and
    // reports the failure) or when the result was taken already.
    std::optional<ContactStore::StoredBook> take();

private:
    // Written by the thread, read only once it has ended.
    std::optional<ContactStore::StoredBook> m_book;
    std::unique_ptr<QThread> m_thread;
    bool m_taken = false;
};
