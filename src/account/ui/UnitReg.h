#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class BirthDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class ServiceClient;

// Registration of a new user. The program cannot run without an account key, so giving up
// here ("Отмена" or Escape) ends the program: exec() then returns Rejected and gaveUp() is
// true. A stored key (registered or restored) closes it with Accepted.
class TRegForm : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        // The settings dialog with only its page "Подключение".
        std::function<void(QWidget* parent)> connectionSettings;
        // After a restore: the caller decides whether the new key is tried at once.
        std::function<void()> restored;
    };

    explicit TRegForm(std::shared_ptr<ServiceClient> client, Hooks hooks = {},
                      QWidget* parent = nullptr);

    bool gaveUp() const { return m_gaveUp; }
    // The registration request is out; the dialog takes no input until its reply is in.
    bool waitingForService() const { return m_busy; }
    // A restore stored the key and closes this dialog too.
    void closeAfterRestore();

    // The empty birth date.
    static QDate zeroDate();

    // "ОК": registers with the fields typed and stores the key the service gives.
    void registerUser();
    // "Отмена": the program ends.
    void giveUp();
    // "Настройка соединения".
    void openConnectionSettings();
    // "Восстановление аккаунта".
    void restoreAccount();

    // Escape anywhere in the dialog gives up, as "Отмена" does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void registered(const QString& reply);

    std::shared_ptr<ServiceClient> m_client;
    Hooks m_hooks;
    bool m_gaveUp = false;
    bool m_busy = false;

    QLabel* m_banner = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_titleIcon = nullptr;
    QLabel* m_instructions = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_cityEdit = nullptr;
    QLineEdit* m_numberEdit = nullptr;
    BirthDateEdit* m_birthEdit = nullptr;
    QLineEdit* m_emailEdit = nullptr;
    QLineEdit* m_referrerEdit = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_connectionButton = nullptr;
    QPushButton* m_restoreButton = nullptr;
};
