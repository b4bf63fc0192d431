#pragma once

#include <QtPlugin>

class QDialog;
class QLabel;
class QPushButton;
class QString;
class QWidget;

// A payment window and the parts of it that the program dresses in the skin.
struct PayFormParts {
    QDialog* form = nullptr;
    QLabel* banner = nullptr;
    QLabel* picture = nullptr;
    QLabel* title = nullptr;
    QLabel* subtitle = nullptr;
    QPushButton* closeButton = nullptr;
};

// What the payment-window module offers the program. The module is loaded only when the
// window first opens, so the program itself never links the embedded browser.
//
// The window has the invokable navigate(QUrl), the signal pageLoaded(bool ok) and the
// properties pageTitle and pageUrl; its browser and buttons are named "browser",
// "backButton", "forwardButton" and "closeButton".
class PayFormFactory {
public:
    virtual ~PayFormFactory() = default;
    // A new payment window that goes to `address` each time it is shown.
    virtual PayFormParts createPayForm(const QString& address, QWidget* parent) = 0;
};

#define PayFormFactory_iid "ru.varnelo.PayFormFactory/1.1"
Q_DECLARE_INTERFACE(PayFormFactory, PayFormFactory_iid)
