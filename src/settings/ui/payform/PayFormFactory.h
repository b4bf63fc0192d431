#pragma once

#include <QtPlugin>

class QDialog;
class QString;
class QWidget;

// What the payment-window module offers the program. The module is loaded only when the
// window first opens, so the program itself never links the embedded browser.
//
// The window's controls carry their names (Image1, Image2, Label6, Label7, WB, But1, But2,
// SpeedButton1) so that the program dresses it in the skin. It has the invokable
// navigate(QUrl) and the signal pageLoaded(bool ok), and the properties pageTitle and
// pageUrl.
class PayFormFactory {
public:
    virtual ~PayFormFactory() = default;
    // A new payment window that goes to `address` each time it is shown.
    virtual QDialog* createPayForm(const QString& address, QWidget* parent) = 0;
};

#define PayFormFactory_iid "ru.varnelo.PayFormFactory/1.0"
Q_DECLARE_INTERFACE(PayFormFactory, PayFormFactory_iid)
