#pragma once

#include <QString>

// The address of the service's payment-instructions page shown in the payment window:
// "http://HOST:PORT/howpay.php?" + the account key + the text colour and the background
// colour, each as six upper-case hexadecimal digits of its stored value (lowest byte red).
QString payAddress(const QString& host, qint32 port, const QString& userKey, quint32 infoText,
                   quint32 main);
