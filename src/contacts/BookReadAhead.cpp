#include "BookReadAhead.h"

#include "contacts/ContactStore.h"

BookReadAhead::BookReadAhead()
    : m_read(std::async(std::launch::async,
                        [] { return Registry().readBranch(ContactStore::kBookKey); })) {
}

BookReadAhead::~BookReadAhead() {
    if (m_read.valid())
        m_read.wait();
}

std::optional<Registry::Branch> BookReadAhead::take() {
    if (!m_read.valid())
        return std::nullopt;
    try {
        return m_read.get();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
