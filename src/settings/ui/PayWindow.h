#pragma once

#include <QString>

class QDialog;
class QWidget;
class ServiceClient;

// The payment window: its module is loaded on the first opening and kept for the run.
namespace PayWindow {

// The module's file, as ModuleFiles finds it; empty when there is none.
QString modulePath();

// A new payment window for the live service address, the account key and the skin's
// colours, dressed in the skin; nothing when the module cannot be loaded (`error` says why).
QDialog* create(const ServiceClient& client, QWidget* parent, QString* error = nullptr);

} // namespace PayWindow

// The main window's payment command: the window, modal, freed when it closes. Without the
// module the page opens in the desktop's browser instead.
void openPayWindow(const ServiceClient& client, QWidget* parent);
