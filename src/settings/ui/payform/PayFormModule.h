#pragma once

#include "PayFormFactory.h"

#include <QObject>

// The module's entry: hands out payment windows.
class PayFormModule : public QObject, public PayFormFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PayFormFactory_iid)
    Q_INTERFACES(PayFormFactory)
public:
    PayFormParts createPayForm(const QString& address, QWidget* parent) override;
};
