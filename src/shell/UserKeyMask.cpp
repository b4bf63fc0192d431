#include "UserKeyMask.h"

#include <QDateTime>
#include <QRandomGenerator>

QString MaskUserKey(const QString& key) {
    QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
    return MaskUserKey(key, random);
}

QString MaskUserKey(const QString& key, QRandomGenerator& random) {
    if (key.size() < 19)
        return key;
    QString masked = key;
    for (qsizetype i = 8; i < key.size() - 10; ++i) {
        // Half letters A-F, half digits, each equally likely within its kind.
        masked[i] = random.bounded(2) == 0 ? QChar(u'A' + random.bounded(6))
                                           : QChar(u'0' + random.bounded(10));
    }
    return masked;
}
