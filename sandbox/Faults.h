#pragma once

#include <QByteArray>
#include <QString>

#include <mutex>
#include <optional>

// Failures that the admin interface arms for the next protocol requests, so that tests can
// see how the client copes with a broken service.
class Faults {
public:
    enum class Mode { Http500, Close, Delay, Garbage, Reply };

    struct Fault {
        Mode mode = Mode::Http500;
        int delayMs = 0;
        QByteArray reply; // Reply: the text answered in place of the command's own
    };

    // "http500", "close", "delay", "garbage", "reply".
    static std::optional<Mode> modeFromName(const QString& name);
    static QString name(Mode mode);

    void arm(Mode mode, int count, int delayMs, const QByteArray& reply = {});
    void clear();
    // The fault for the request now arriving, if one is armed; counts it off.
    std::optional<Fault> take();

    struct State {
        Mode mode;
        int remaining;
        int delayMs;
        QByteArray reply;
    };
    State state() const;

private:
    mutable std::mutex m_mutex;
    Mode m_mode = Mode::Http500;
    int m_remaining = 0;
    int m_delayMs = 0;
    QByteArray m_reply;
};
