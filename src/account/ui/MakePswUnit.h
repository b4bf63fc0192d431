#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class ServiceClient;

// Setting, changing or removing the access password: the current password, the new one and
// its confirmation.
class TMakePswForm : public QDialog {
    Q_OBJECT
public:
    explicit TMakePswForm(QWidget* parent = nullptr);

    QLabel* Label3 = nullptr;
    QLineEdit* Edit3 = nullptr; // current password
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr; // new password
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr; // confirmation
    QPushButton* ButOK = nullptr;
    QPushButton* ButCancel = nullptr;

    void ButOKClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The settings dialog's "Задать пароль для доступа к программе...": asks with TMakePswForm,
// checks the current password against the key in memory and the store, and writes the key
// plain (no password) or protected, reporting the outcome. True when the password changed.
bool ChangeAccessPassword(ServiceClient& client, QWidget* parent);
