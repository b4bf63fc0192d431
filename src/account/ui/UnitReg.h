#pragma once

#include <QDialog>

#include <functional>

class BirthDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

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

    explicit TRegForm(Hooks hooks = {}, QWidget* parent = nullptr);

    bool gaveUp() const { return m_gaveUp; }
    // The registration request is out; the dialog takes no input until its reply is in.
    bool waitingForService() const { return m_busy; }
    // A restore stored the key and closes this dialog too.
    void closeAfterRestore();

    QLabel* Label8 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image3 = nullptr;
    QLineEdit* EditFIO = nullptr;
    QLineEdit* EditCity = nullptr;
    QLineEdit* Editnumber = nullptr;
    BirthDateEdit* EditBirth = nullptr;
    QLineEdit* EditEMail = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* ButOK = nullptr;
    QPushButton* ButCancel = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QPushButton* SpeedButton2 = nullptr;

    // The empty birth date.
    static QDate zeroDate();

    void ButOKClick();
    void ButCancelClick();
    void SpeedButton1Click();
    void SpeedButton2Click();

    // Escape anywhere in the dialog gives up, as "Отмена" does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void registered(const QString& reply);

    Hooks m_hooks;
    bool m_gaveUp = false;
    bool m_busy = false;
};
