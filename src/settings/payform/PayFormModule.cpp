#include "PayFormModule.h"

#include "PayUnit.h"

QDialog* PayFormModule::createPayForm(const QString& address, QWidget* parent) {
    return new TPayForm(address, parent);
}
