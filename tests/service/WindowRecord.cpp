#include "WindowRecord.h"

void WindowRecord::add(const QString& call) {
    QMutexLocker lock(&m_mutex);
    m_calls.append(call);
}

void WindowRecord::add(const LoginOutcome& outcome) {
    if (outcome.serverContactsVisible)
        add(QStringLiteral("ServerContacts %1")
                .arg(*outcome.serverContactsVisible ? QStringLiteral("shown")
                                                    : QStringLiteral("hidden")));
    if (!outcome.notice.isEmpty())
        add(QStringLiteral("254 ") + outcome.notice);
    if (outcome.statusText)
        add(QStringLiteral("status ") + *outcome.statusText);
    if (const auto& balloon = outcome.balloon)
        add(QStringLiteral("balloon %1 %2 %3 %4")
                .arg(balloon->kind == LoginOutcome::BalloonKind::Error ? QStringLiteral("error")
                                                                       : QStringLiteral("info"),
                     QString::number(balloon->timeoutMs), balloon->title, balloon->text));
    if (outcome.retryLater)
        add(QStringLiteral("ConnectTimeOutTimer"));
    if (outcome.offerRegistration)
        add(QStringLiteral("253"));
    if (!outcome.sound.isEmpty())
        add(QStringLiteral("sound ") + outcome.sound);
}

QStringList WindowRecord::calls() const {
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

QStringList WindowRecord::take() {
    QMutexLocker lock(&m_mutex);
    return std::exchange(m_calls, {});
}
