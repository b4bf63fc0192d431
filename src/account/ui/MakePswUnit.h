#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class ServiceClient;

// Setting, changing or removing the access password: the current password, the new one and
// its confirmation.
class TMakePswForm : public QDialog {
    Q_OBJECT
public:
    explicit TMakePswForm(QWidget* parent = nullptr);

    QString currentPassword() const;
    QString newPassword() const;

    // "ОК": the new password and its confirmation must match.
    void confirm();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_currentEdit = nullptr;
    QLineEdit* m_newEdit = nullptr;
    QLineEdit* m_confirmationEdit = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

// The settings dialog's "Задать пароль для доступа к программе...": asks with TMakePswForm,
// checks the current password against the key in memory and the store, and writes the key
// plain (no password) or protected, reporting the outcome. True when the password changed.
bool ChangeAccessPassword(ServiceClient& client, QWidget* parent);
