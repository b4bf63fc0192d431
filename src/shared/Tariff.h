#pragma once

#include <QtGlobal>

// What the login tells about prices and lengths, plus whether the length limit is in force.
// The initial values hold until the first login reply.
struct Tariff {
    double SmsPrice = 0;       // the first part
    double ExtraPartPrice = 0; // every further part
    qint32 PartLength = 70;
    qint32 MaxMessageLength = 70;
    bool CheckTextLength = true; // off: the maximum is 5000 whatever the login says
};
