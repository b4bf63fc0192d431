#include "SandboxContext.h"

#include "platform/Ansi.h"

#include <QDateTime>

SandboxContext::SandboxContext(const Settings& initialSettings, const QString& databasePath)
    : initial(initialSettings)
    , settings(initialSettings)
    , store(databasePath)
    , log(initialSettings.logSize) {
    if (store.isOpen())
        addStartRefusals();
}

qint64 SandboxContext::now() const {
    return QDateTime::currentMSecsSinceEpoch();
}

void SandboxContext::reset() {
    store.clear();
    settings = initial;
    addStartRefusals();
    log.clear();
    faults.clear();
}

void SandboxContext::addStartRefusals() {
    for (const QString& number : initial.refusedNumbers)
        store.addRefusal(Ansi::fromUnicode(number));
}
