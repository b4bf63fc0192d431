#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class ServiceClient;

// Account restore: the service mails the registration code to the account's address, the
// user types it in here. A stored code closes the dialog with Accepted; the registration
// dialog that opened it then closes too.
class TRestoreAccountForm : public QDialog {
    Q_OBJECT
public:
    explicit TRestoreAccountForm(std::shared_ptr<ServiceClient> client, QWidget* parent = nullptr);

    // "Выслать код": the service mails the code to the address typed.
    void sendCode();
    // "OK": stores the code typed as the account key.
    void storeCode();
    // The request for the code is out; the dialog takes no input until its reply is in.
    bool waitingForService() const { return m_busy; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Either the code is asked for or it is typed in, never both at once.
    void updateButtons();

    std::shared_ptr<ServiceClient> m_client;
    bool m_busy = false;

    QLabel* m_banner = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_hint = nullptr;
    QLineEdit* m_emailEdit = nullptr;
    QPushButton* m_sendCodeButton = nullptr;
    QLineEdit* m_codeEdit = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
