#include "BookReadAhead.h"

#include "platform/Registry.h"

#include <QThread>

BookReadAhead::BookReadAhead(const QString& storePath)
    : m_thread(QThread::create([this, storePath] {
        try {
            m_book = ContactStore::readStoredBook(Registry(storePath));
        } catch (...) {
            m_book.reset();
        }
    })) {
    m_thread->start();
}

BookReadAhead::~BookReadAhead() {
    m_thread->wait();
}

std::optional<ContactStore::StoredBook> BookReadAhead::take() {
    m_thread->wait();
    if (m_taken)
        return std::nullopt;
    m_taken = true;
    return std::move(m_book);
}
