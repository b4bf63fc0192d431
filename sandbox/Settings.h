#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// What the command line decides about the service's behaviour. Money is held in kopecks.
// The tariff part may be changed at run time through the admin interface; a reset brings
// back the values the service was started with.
struct Tariff {
    qint64 smsPrice = 150;
    qint64 extraPartPrice = 150;
    int partLength = 70;
    int maxMessageLength = 70;
};

struct Settings {
    bool autoActivate = true;
    qint64 startBalance = 10000;
    Tariff tariff;
    bool serverContacts = true;
    bool extraOption = false;
    qint64 voucherFee = 200;
    qint64 detailPrice = 50;
    int statusStepMs = 3000;
    int minuteMs = 60000;
    QStringList refusedNumbers;
    int logSize = 1000;
};
