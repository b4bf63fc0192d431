#include "CliLink.h"

#include "service/ServiceState.h"

#include <QMutexLocker>

void CliLink::ShowServiceMessage() {
    const QString notice = ServiceState::ServiceMessage.exchange(QString());
    QMutexLocker lock(&m_mutex);
    m_notices.append(notice);
}

void CliLink::OfferRegistration() {
    QMutexLocker lock(&m_mutex);
    m_registrationOffered = true;
}

void CliLink::SetStatusText(const QString& text) {
    QMutexLocker lock(&m_mutex);
    m_status = text;
}

QString CliLink::statusText() const {
    QMutexLocker lock(&m_mutex);
    return m_status;
}

bool CliLink::registrationOffered() const {
    QMutexLocker lock(&m_mutex);
    return m_registrationOffered;
}

QStringList CliLink::notices() const {
    QMutexLocker lock(&m_mutex);
    return m_notices;
}
