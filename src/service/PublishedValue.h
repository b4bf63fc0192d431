#pragma once

#include <mutex>
#include <utility>

// A value that one thread writes and others read: every read sees a whole value, either the
// old one or the new one.
template <typename T> class PublishedValue {
public:
    PublishedValue() = default;
    explicit PublishedValue(T initial)
        : m_value(std::move(initial)) {}
    PublishedValue(const PublishedValue&) = delete;
    PublishedValue& operator=(const PublishedValue&) = delete;

    T get() const {
        std::lock_guard lock(m_mutex);
        return m_value;
    }
    void set(T value) {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }
    // Changes part of the value in one step; `change` runs under the lock and must be short.
    template <typename Change> void update(Change&& change) {
        std::lock_guard lock(m_mutex);
        change(m_value);
    }

private:
    mutable std::mutex m_mutex;
    T m_value{};
};
