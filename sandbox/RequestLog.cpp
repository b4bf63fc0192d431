#include "RequestLog.h"

qint64 RequestLog::append(Entry entry) {
    entry.body.truncate(kMaxKeptBytes);
    entry.request.truncate(kMaxKeptBytes);
    entry.reply.truncate(kMaxKeptBytes);
    std::lock_guard lock(m_mutex);
    entry.sequence = m_next++;
    if (m_capacity <= 0)
        return entry.sequence;
    m_entries.push_back(std::move(entry));
    while (m_entries.size() > size_t(m_capacity))
        m_entries.pop_front();
    return m_entries.back().sequence;
}

QList<RequestLog::Entry> RequestLog::since(qint64 sequence, int limit) const {
    std::lock_guard lock(m_mutex);
    QList<Entry> out;
    for (const Entry& entry : m_entries) {
        if (entry.sequence <= sequence)
            continue;
        if (out.size() >= limit)
            break;
        out.append(entry);
    }
    return out;
}

void RequestLog::clear() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}
