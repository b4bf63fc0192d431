#include "PayAddress.h"

namespace {

QString colorDigits(quint32 value) {
    return QStringLiteral("%1").arg(value & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString payAddress(const QString& host, qint32 port, const QString& userKey, quint32 infoText,
                   quint32 main) {
    return QStringLiteral("http://%1:%2/howpay.php?").arg(host).arg(port) + userKey +
           colorDigits(infoText) + colorDigits(main);
}
