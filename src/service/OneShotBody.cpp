#include "OneShotBody.h"

#include <algorithm>
#include <cstring>

OneShotBody::OneShotBody(const QByteArray& data, QObject* parent)
    : QIODevice(parent)
    , m_data(data) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 OneShotBody::bytesAvailable() const {
    return m_data.size() - m_position + QIODevice::bytesAvailable();
}

qint64 OneShotBody::readData(char* data, qint64 maxSize) {
    const qint64 n = std::min(maxSize, qint64(m_data.size()) - m_position);
    if (n <= 0)
        return -1;
    std::memcpy(data, m_data.constData() + m_position, size_t(n));
    m_position += n;
    return n;
}
