#pragma once

#include "service/ServiceClient.h"

#include <QWidget>

#include <memory>
#include <optional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
struct AccountData;

// The settings dialog's page "Сервер": what the service keeps about the account, the two
// contact numbers stored there, and the voucher purchase and redemption. Every request runs
// on a worker thread; the page keeps painting, and a voucher request blocks input to the
// dialog until its reply is in.
class ServerSettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit ServerSettingsPage(std::shared_ptr<ServiceClient> client, QWidget* parent = nullptr);

    QPushButton* LoadSettingsButton = nullptr;
    QLabel* LoadSettingsLabel = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label17 = nullptr; // the service's line at the top
    QLabel* Label18 = nullptr;
    QLabel* Label19 = nullptr; // e-mail
    QLabel* Label20 = nullptr;
    QLabel* Label21 = nullptr; // registration date
    QLabel* Label22 = nullptr;
    QLabel* Label23 = nullptr; // unique number
    QLabel* Label28 = nullptr;
    QLabel* Label29 = nullptr; // balance
    QLabel* Label30 = nullptr;
    QLabel* Label31 = nullptr; // price of one message
    QLabel* Label32 = nullptr;
    QLabel* Label33 = nullptr;
    QLineEdit* Edit9 = nullptr;  // ICQ 1
    QLineEdit* Edit10 = nullptr; // ICQ 2
    QPushButton* SaveSettingsButton = nullptr;
    QLabel* SaveSettingsLabel = nullptr;
    QPushButton* BuyVoucherButt = nullptr;
    QPushButton* SellVoucherButt = nullptr;
    // "Заказать детализацию": created hidden, nothing shows it.
    QPushButton* SpeedButton6_ = nullptr;
    QTimer* Timer1 = nullptr;

    // Handlers.
    void LoadSettingsButtonClick();
    void Timer1Timer();
    void Edit9Change();
    void SaveSettingsButtonClick();
    void BuyVoucherButtClick();
    void SellVoucherButtClick();
    void SpeedButton6_Click();

signals:
    // A flow has shown its outcome (tests wait for these).
    void loadFinished();
    void saveFinished();
    void voucherFinished();
    // A command that may move money has been answered: the balance is worth a refresh soon.
    void balanceMayChange();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void fill(const AccountData& data);
    // SaveSettingsButton and the voucher buttons share one place: one of them shows.
    void setSaveButtonVisible(bool visible);
    void keepDigits(QLineEdit* edit);
    void buyIssued(const QString& serial, const QString& amount);
    std::optional<QString> received(const std::optional<ServiceClient::AccountReply>& answer);

    std::shared_ptr<ServiceClient> m_client;
};
