#include "RecordingLink.h"

#include "service/ServiceState.h"

void RecordingLink::RestartBalanceTimer() {
    add(QStringLiteral("RestartBalanceTimer"));
}

void RecordingLink::SetServerContactsVisible(bool visible) {
    add(QStringLiteral("ServerContacts %1")
            .arg(visible ? QStringLiteral("shown") : QStringLiteral("hidden")));
}

void RecordingLink::ShowServiceMessage() {
    // The main window shows the notice and empties it.
    add(QStringLiteral("254 ") + ServiceState::ServiceMessage.exchange(QString()));
}

void RecordingLink::OfferRegistration() {
    add(QStringLiteral("253"));
    std::function<void()> action;
    {
        QMutexLocker lock(&m_mutex);
        action = m_onRegistration;
    }
    if (action)
        action();
}

void RecordingLink::SetStatusText(const QString& text) {
    add(QStringLiteral("status ") + text);
}

void RecordingLink::ShowBalloon(const QString& title, const QString& text, BalloonKind kind,
                                int timeoutMs) {
    add(QStringLiteral("balloon %1 %2 %3 %4")
            .arg(kind == BalloonKind::Error ? QStringLiteral("error") : QStringLiteral("info"),
                 QString::number(timeoutMs), title, text));
}

void RecordingLink::EnableConnectTimeOutTimer() {
    add(QStringLiteral("ConnectTimeOutTimer"));
}

void RecordingLink::PlaySoundFile(const QString& path) {
    add(QStringLiteral("sound ") + path);
}

QStringList RecordingLink::calls() const {
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

QStringList RecordingLink::take() {
    QMutexLocker lock(&m_mutex);
    return std::exchange(m_calls, {});
}

void RecordingLink::onRegistration(std::function<void()> action) {
    QMutexLocker lock(&m_mutex);
    m_onRegistration = std::move(action);
}

void RecordingLink::add(const QString& call) {
    QMutexLocker lock(&m_mutex);
    m_calls.append(call);
}
