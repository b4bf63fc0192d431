#include "BookReadAhead.h"

#include "platform/Registry.h"

BookReadAhead::BookReadAhead()
    : m_read(
          std::async(std::launch::async, [] { return ContactStore::readStoredBook(Registry()); })) {
}

BookReadAhead::~BookReadAhead() {
    if (m_read.valid())
        m_read.wait();
}

std::optional<ContactStore::StoredBook> BookReadAhead::take() {
    if (!m_read.valid())
        return std::nullopt;
    try {
        return m_read.get();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
