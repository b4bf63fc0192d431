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

    // What the page shows, for tests.
    QPushButton* loadButton() const { return m_loadButton; }
    QString loadStatusText() const;
    QWidget* accountPanel() const;
    QTimer* panelTimer() const { return m_panelTimer; }
    QString uniqueNumberText() const;
    QString greetingText() const;
    QString emailText() const;
    QString registeredText() const;
    QString balanceText() const;
    QString smsPriceText() const;
    QLineEdit* icq1Edit() const { return m_icq1Edit; }
    QLineEdit* icq2Edit() const { return m_icq2Edit; }
    QPushButton* saveButton() const { return m_saveButton; }
    QString saveStatusText() const;
    QPushButton* buyVoucherButton() const { return m_buyVoucherButton; }
    QPushButton* redeemVoucherButton() const { return m_redeemVoucherButton; }
    QPushButton* orderDetailButton() const { return m_orderDetailButton; }

    // "Заказать детализацию": asks for the period and confirms its cost.
    void orderDetail();

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
    void setSaveButtonVisible(bool visible);
    void keepDigits(QLineEdit* edit);
    void buyIssued(const QString& serial, const QString& amount);
    void loadFromService();
    void showAccountPanel();
    void contactNumbersEdited();
    void saveToService();
    void buyVoucher();
    void redeemVoucher();
    std::optional<QString> received(const std::optional<ServiceClient::AccountReply>& answer);

    std::shared_ptr<ServiceClient> m_client;
    QPushButton* m_loadButton = nullptr;
    QLabel* m_loadStatus = nullptr;
    // Covers the whole page once the data is in.
    QFrame* m_accountPanel = nullptr;
    QLabel* m_greetingLabel = nullptr; // the service's line at the top
    QLabel* m_uniqueNumberLabel = nullptr;
    QLabel* m_emailLabel = nullptr;
    QLabel* m_registeredLabel = nullptr;
    QLabel* m_balanceLabel = nullptr;
    QLabel* m_smsPriceLabel = nullptr;
    QLineEdit* m_icq1Edit = nullptr;
    QLineEdit* m_icq2Edit = nullptr;
    // The save button and the voucher buttons share one place: one of them shows.
    QPushButton* m_saveButton = nullptr;
    QLabel* m_saveStatus = nullptr;
    QPushButton* m_buyVoucherButton = nullptr;
    QPushButton* m_redeemVoucherButton = nullptr;
    // "Заказать детализацию": created hidden, nothing shows it.
    QPushButton* m_orderDetailButton = nullptr;
    QTimer* m_panelTimer = nullptr;
};
