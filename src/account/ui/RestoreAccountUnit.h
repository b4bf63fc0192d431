#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Account restore: the service mails the registration code to the account's address, the
// user types it in here. A stored code closes the dialog with Accepted; the registration
// dialog that opened it then closes too.
class TRestoreAccountForm : public QDialog {
    Q_OBJECT
public:
    explicit TRestoreAccountForm(QWidget* parent = nullptr);

    // The request for the code is out; the dialog takes no input until its reply is in.
    bool waitingForService() const { return m_busy; }

    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLineEdit* EditEMail = nullptr;
    QPushButton* ButOK = nullptr; // "Выслать код"
    QLineEdit* Edit1 = nullptr;   // the code
    QPushButton* SpeedButton1 = nullptr;
    QPushButton* ButCancel = nullptr;

    void Edit1Change();
    void ButOKClick();
    void SpeedButton1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_busy = false;
};
