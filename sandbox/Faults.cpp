#include "Faults.h"

namespace {

struct NamedMode {
    Faults::Mode mode;
    const char* name;
};

constexpr NamedMode kModes[] = {{Faults::Mode::Http500, "http500"},
                                {Faults::Mode::Close, "close"},
                                {Faults::Mode::Delay, "delay"},
                                {Faults::Mode::Garbage, "garbage"},
                                {Faults::Mode::Reply, "reply"}};

} // namespace

std::optional<Faults::Mode> Faults::modeFromName(const QString& name) {
    for (const NamedMode& entry : kModes)
        if (name == QLatin1String(entry.name))
            return entry.mode;
    return std::nullopt;
}

QString Faults::name(Mode mode) {
    for (const NamedMode& entry : kModes)
        if (entry.mode == mode)
            return QLatin1String(entry.name);
    return {};
}

void Faults::arm(Mode mode, int count, int delayMs, const QByteArray& reply) {
    std::lock_guard lock(m_mutex);
    m_mode = mode;
    m_remaining = count;
    m_delayMs = delayMs;
    m_reply = reply;
}

void Faults::clear() {
    std::lock_guard lock(m_mutex);
    m_remaining = 0;
}

std::optional<Faults::Fault> Faults::take() {
    std::lock_guard lock(m_mutex);
    if (m_remaining <= 0)
        return std::nullopt;
    --m_remaining;
    return Fault{m_mode, m_delayMs, m_reply};
}

Faults::State Faults::state() const {
    std::lock_guard lock(m_mutex);
    return {m_mode, m_remaining, m_delayMs, m_reply};
}
