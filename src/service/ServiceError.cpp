#include "ServiceError.h"

ServiceError::ServiceError(Kind kind, const QString& message)
    : std::runtime_error(message.toStdString())
    , m_kind(kind) {
}
