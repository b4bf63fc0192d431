#pragma once

#include <mutex>
#include <utility>

// A program-wide value that one thread writes and others read: every read sees a whole
// value, either the old one or the new one.
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
    // Replaces the value and returns the one it held.
    T exchange(T value) {
        std::lock_guard lock(m_mutex);
        std::swap(m_value, value);
        return value;
    }

private:
    mutable std::mutex m_mutex;
    T m_value{};
};
