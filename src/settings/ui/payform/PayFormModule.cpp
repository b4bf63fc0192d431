#include "PayFormModule.h"

#include "PayUnit.h"
#include "SharedGraphicsContext.h"

PayFormParts PayFormModule::createPayForm(const QString& address, QWidget* parent) {
    ensureSharedGraphicsContext();
    return (new TPayForm(address, parent))->parts();
}
