#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <deque>
#include <mutex>

// The last decoded requests and their replies, for the admin interface. Bounded, so that a
// long run keeps its memory flat.
class RequestLog {
public:
    struct Entry {
        qint64 sequence = 0;
        qint64 timeMs = 0;
        QString remote;
        QString userAgent;
        QByteArray body;    // as posted
        QByteArray request; // decoded, code page 1251
        QString command;
        int httpStatus = 200;
        QByteArray reply;
        QString fault; // the admin-made failure applied to it, if any
    };

    explicit RequestLog(int capacity)
        : m_capacity(capacity) {}

    // Texts longer than this are kept cut; a huge body must not pin megabytes.
    static constexpr qsizetype kMaxKeptBytes = 16 * 1024;

    qint64 append(Entry entry);
    QList<Entry> since(qint64 sequence, int limit) const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::deque<Entry> m_entries;
    int m_capacity;
    qint64 m_next = 1;
};
