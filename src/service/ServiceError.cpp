#include "ServiceError.h"

ServiceError::ServiceError(Kind kind, const QString& message, bool requestSent)
    : std::runtime_error(message.toStdString())
    , m_kind(kind)
    , m_requestSent(requestSent) {
}
