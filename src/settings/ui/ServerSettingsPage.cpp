#include "ServerSettingsPage.h"

#include "ChooseTimeInterval.h"
#include "platform/AppPaths.h"
#include "platform/ui/Prompts.h"
#include "service/ServerRequest.h"
#include "service/ServiceClient.h"
#include "service/ServiceError.h"
#include "settings/AccountData.h"
#include "settings/GeneralNumber.h"
#include "settings/VoucherFile.h"
#include "settings/VoucherReplies.h"
#include "widgets/InputBlock.h"
#include "widgets/WorkerCall.h"

#include <QDateTime>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace {

const QString kLineBreak = QStringLiteral("\n");
const QString kRoubles = QStringLiteral(" руб.");
const QString kErrorCaption = QStringLiteral("Ошибка");
const QString kVoucherCaption = QStringLiteral("Ваучер");

const QString kLoading = QStringLiteral("Загрузка настроек с сервера...");
const QString kSaving = QStringLiteral("Сохранение настроек...");
const QString kSaved = QStringLiteral("Настройки успешно сохранены!");
const QString kFailed = QStringLiteral("Ошибка!");
const QString kNoConnection = QStringLiteral("Ошибка при соединении с сервером!");

const QString kBuyCaption = QStringLiteral("Покупка ваучера");
const QString kBuyPrompt = QStringLiteral("Введите сумму для покупки ваучера");
const QString kFeeWarning = QStringLiteral("ВНИМАНИЕ!");
const QString kFeeText = QStringLiteral("За приобретение ваучера вы отдадите стоимость ваучера + ");
const QString kBadAmount = QStringLiteral("Неверно задана сумма!");
const QString kCopySerial = QStringLiteral("Скопируйте серийный номер вашего ваучера!");
const QString kAllVouchers =
    QStringLiteral("Все ваши ваучеры также можно найти в файле \"Vouchers.txt\"");
const QString kSerialNotNoted =
    QStringLiteral("Запишите его: в файл \"Vouchers.txt\" он не попал.");
const QString kNotNotedReason =
    QStringLiteral("Ваучер куплен, но записать его в файл \"Vouchers.txt\" не удалось: ");
const QString kNotRegistered = QStringLiteral("Ошибка при регистрации нового ваучера!");
const QString kAskDevelopers = QStringLiteral("Обратитесь к разработчикам.");
const QString kBalanceShort = QStringLiteral("У вас недостаточно средств на балансе!");
const QString kUnknownError = QStringLiteral("Неизвестная ошибка!");
const QString kBuyFailed = QStringLiteral("Ошибка при попытке покупки ваучера!");

const QString kSellCaption = QStringLiteral("Продажа ваучера");
const QString kSellPrompt = QStringLiteral("Введите серийный номер ваучера");
const QString kBadSerial = QStringLiteral("Неверный серийный номер ваучера!");
const QString kCreditedBefore = QStringLiteral("Ваучер на сумму ");
const QString kCreditedAfter = QStringLiteral(" успешно активирован");
const QString kVoucherNotFound = QStringLiteral("Ваучер не найден!");
const QString kNotActivated = QStringLiteral("Вы не активировали аккаунт!");
const QString kUserNotFound = QStringLiteral("Пользователь не найден!");
const QString kSellFailed = QStringLiteral("Ошибка при попытке продажи ваучера!");

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kMaroon(0x80, 0x00, 0x00);
constexpr int kPanelDelayMs = 1;

// A service call's reply, or nothing when the exchange failed.
using Reply = std::optional<QString>;
using Answer = std::optional<ServiceClient::AccountReply>;

template <typename Command> Answer tryRequest(Command command) {
    try {
        return command();
    } catch (const ServiceError&) {
        return std::nullopt;
    }
}

void showMessage(QWidget* parent, const QString& text, const QString& caption = kErrorCaption) {
    Prompts::message(parent, text, caption, QMessageBox::NoIcon);
}

QLabel* valueLabel(QWidget* parent, const QColor& color, bool bold = false) {
    auto* label = new QLabel(parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPushButton* flatButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

struct LoadOutcome {
    enum class Kind { NoConnection, Empty, Loaded } kind = Kind::NoConnection;
    AccountData data;
    bool refreshBalanceSoon = false;
};

LoadOutcome loadAccountData(const ServiceClient& client, const QString& userKey) {
    const Answer answer = tryRequest([&] { return client.LoadSettingsFromServer(userKey); });
    if (!answer)
        return {};
    LoadOutcome outcome;
    outcome.refreshBalanceSoon = answer->refreshBalanceSoon;
    const QStringList lines = AccountData::decodeLines(answer->text);
    const std::optional<AccountData> data =
        lines.isEmpty() ? std::nullopt : AccountData::fromLines(lines);
    if (lines.isEmpty())
        outcome.kind = LoadOutcome::Kind::Empty;
    else if (data)
        outcome = {LoadOutcome::Kind::Loaded, *data, outcome.refreshBalanceSoon};
    return outcome;
}

} // namespace

ServerSettingsPage::ServerSettingsPage(std::shared_ptr<ServiceClient> client, QWidget* parent)
    : QWidget(parent)
    , m_client(std::move(client)) {
    setObjectName(QStringLiteral("ServerSettingsPage"));
    buildControls();
}

QString ServerSettingsPage::loadStatusText() const {
    return m_loadStatus->text();
}

QWidget* ServerSettingsPage::accountPanel() const {
    return m_accountPanel;
}

QString ServerSettingsPage::uniqueNumberText() const {
    return m_uniqueNumberLabel->text();
}

QString ServerSettingsPage::greetingText() const {
    return m_greetingLabel->text();
}

QString ServerSettingsPage::emailText() const {
    return m_emailLabel->text();
}

QString ServerSettingsPage::registeredText() const {
    return m_registeredLabel->text();
}

QString ServerSettingsPage::balanceText() const {
    return m_balanceLabel->text();
}

QString ServerSettingsPage::smsPriceText() const {
    return m_smsPriceLabel->text();
}

QString ServerSettingsPage::saveStatusText() const {
    return m_saveStatus->text();
}

void ServerSettingsPage::buildControls() {
    m_loadButton = flatButton(QStringLiteral("Загрузить настройки с сервера"), this);
    m_loadStatus = new QLabel(this);
    m_loadStatus->setAlignment(Qt::AlignCenter);
    m_loadStatus->setWordWrap(true);
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->addStretch();
    pageLayout->addWidget(m_loadButton, 0, Qt::AlignHCenter);
    pageLayout->addWidget(m_loadStatus);
    pageLayout->addStretch();

    // Not in the layout: it covers the whole page once the data is in.
    m_accountPanel = new QFrame(this);
    m_accountPanel->setAutoFillBackground(true);
    m_accountPanel->hide();

    m_greetingLabel = valueLabel(m_accountPanel, kNavy);
    m_greetingLabel->setAlignment(Qt::AlignCenter);
    m_greetingLabel->setWordWrap(true);
    auto* uniqueNumberCaption = new QLabel(QStringLiteral("Уникальный номер:"), m_accountPanel);
    m_uniqueNumberLabel = valueLabel(m_accountPanel, kMaroon, true);
    auto* emailCaption = new QLabel(QStringLiteral("EMail:"), m_accountPanel);
    m_emailLabel = valueLabel(m_accountPanel, kNavy);
    auto* registeredCaption = new QLabel(QStringLiteral("Дата регистрации:"), m_accountPanel);
    m_registeredLabel = valueLabel(m_accountPanel, kNavy);
    auto* balanceCaption = new QLabel(QStringLiteral("Текущий баланс:"), m_accountPanel);
    m_balanceLabel = valueLabel(m_accountPanel, kNavy);
    auto* smsPriceCaption = new QLabel(QStringLiteral("Стоимость СМС:"), m_accountPanel);
    m_smsPriceLabel = valueLabel(m_accountPanel, kNavy);
    auto* icq1Caption = new QLabel(QStringLiteral("ICQ 1:"), m_accountPanel);
    m_icq1Edit = new QLineEdit(m_accountPanel);
    auto* icq2Caption = new QLabel(QStringLiteral("ICQ 2:"), m_accountPanel);
    m_icq2Edit = new QLineEdit(m_accountPanel);
    m_saveButton = flatButton(QStringLiteral("Сохранить настройки"), m_accountPanel);
    m_saveStatus = new QLabel(m_accountPanel);
    m_saveStatus->setAlignment(Qt::AlignCenter);
    m_saveStatus->setWordWrap(true);
    m_buyVoucherButton = flatButton(QStringLiteral("Купить ваучер"), m_accountPanel);
    m_redeemVoucherButton = flatButton(QStringLiteral("Ввести ваучер"), m_accountPanel);
    m_orderDetailButton = flatButton(QStringLiteral("Заказать детализацию"), m_accountPanel);
    m_orderDetailButton->hide();

    auto* grid = new QGridLayout(m_accountPanel);
    grid->addWidget(m_greetingLabel, 0, 0, 1, 2);
    const std::pair<QLabel*, QWidget*> rows[] = {
        {uniqueNumberCaption, m_uniqueNumberLabel},
        {emailCaption, m_emailLabel},
        {registeredCaption, m_registeredLabel},
        {balanceCaption, m_balanceLabel},
        {smsPriceCaption, m_smsPriceLabel},
        {icq1Caption, m_icq1Edit},
        {icq2Caption, m_icq2Edit},
    };
    int row = 1;
    for (const auto& [caption, value] : rows) {
        grid->addWidget(caption, row, 0, Qt::AlignRight);
        grid->addWidget(value, row, 1);
        ++row;
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button :
         {m_saveButton, m_buyVoucherButton, m_redeemVoucherButton, m_orderDetailButton})
        buttons->addWidget(button);
    buttons->addStretch();
    grid->addLayout(buttons, row++, 0, 1, 2);
    grid->addWidget(m_saveStatus, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    setSaveButtonVisible(false);

    // The panel shows on the next turn of the event loop, once the reply is handled.
    m_panelTimer = new QTimer(this);
    m_panelTimer->setInterval(kPanelDelayMs);

    for (QLineEdit* edit : {m_icq1Edit, m_icq2Edit}) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &ServerSettingsPage::contactNumbersEdited);
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { keepDigits(edit); });
    }
    connect(m_loadButton, &QPushButton::clicked, this, &ServerSettingsPage::loadFromService);
    connect(m_panelTimer, &QTimer::timeout, this, &ServerSettingsPage::showAccountPanel);
    connect(m_saveButton, &QPushButton::clicked, this, &ServerSettingsPage::saveToService);
    connect(m_buyVoucherButton, &QPushButton::clicked, this, &ServerSettingsPage::buyVoucher);
    connect(m_redeemVoucherButton, &QPushButton::clicked, this, &ServerSettingsPage::redeemVoucher);
    connect(m_orderDetailButton, &QPushButton::clicked, this, &ServerSettingsPage::orderDetail);
}

void ServerSettingsPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_accountPanel->setGeometry(rect());
}

// Only the digits 0 to 9 and Backspace are typed into the contact numbers.
bool ServerSettingsPage::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_icq1Edit || watched == m_icq2Edit) && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        const bool printable = !text.isEmpty() && text[0].isPrint();
        if (printable && !(text.size() == 1 && text[0].isDigit() && text[0] <= QLatin1Char('9')))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

// A paste or a drop brings in what keys could not: anything but digits is dropped.
void ServerSettingsPage::keepDigits(QLineEdit* edit) {
    const QString text = edit->text();
    QString digits;
    for (QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    if (digits != text) {
        const int cursor = edit->cursorPosition() - int(text.size() - digits.size());
        edit->setText(digits);
        edit->setCursorPosition(qMax(0, cursor));
    }
}

// An account command may have moved money: the balance is fetched again soon.
std::optional<QString>
ServerSettingsPage::received(const std::optional<ServiceClient::AccountReply>& answer) {
    if (!answer)
        return std::nullopt;
    if (answer->refreshBalanceSoon)
        emit balanceMayChange();
    return answer->text;
}

void ServerSettingsPage::setSaveButtonVisible(bool visible) {
    m_saveButton->setVisible(visible);
    m_buyVoucherButton->setVisible(!visible);
    m_redeemVoucherButton->setVisible(!m_buyVoucherButton->isHidden());
}

void ServerSettingsPage::loadFromService() {
    m_loadStatus->setText(kLoading);
    m_loadButton->hide();
    runThenCallback<LoadOutcome>(
        this,
        [client = m_client, key = m_client->userKey()] { return loadAccountData(*client, key); },
        [this](LoadOutcome outcome) {
            if (outcome.refreshBalanceSoon)
                emit balanceMayChange();
            switch (outcome.kind) {
            case LoadOutcome::Kind::Empty:
                m_loadStatus->setText(kFailed);
                m_loadButton->show();
                break;
            case LoadOutcome::Kind::NoConnection:
                m_loadStatus->setText(kNoConnection);
                m_loadButton->show();
                break;
            case LoadOutcome::Kind::Loaded:
                fill(outcome.data);
                m_loadStatus->clear();
                m_panelTimer->start();
                setSaveButtonVisible(false);
                break;
            }
            emit loadFinished();
        },
        [this](const QString& failure) {
            m_loadStatus->setText(failure);
            m_loadButton->show();
            emit loadFinished();
        });
}

void ServerSettingsPage::fill(const AccountData& data) {
    m_uniqueNumberLabel->setText(data.uniqueNumber);
    m_greetingLabel->setText(data.greeting);
    m_emailLabel->setText(data.email);
    m_registeredLabel->setText(data.registered);
    m_icq1Edit->setText(data.icq1);
    m_icq2Edit->setText(data.icq2);
    m_balanceLabel->setText(data.balance + kRoubles);
    m_smsPriceLabel->setText(data.smsPrice + kRoubles);
    AccountPrices::set(data.voucherFee, data.detailPrice);
}

void ServerSettingsPage::showAccountPanel() {
    m_panelTimer->stop();
    m_accountPanel->show();
    m_accountPanel->raise();
}

void ServerSettingsPage::contactNumbersEdited() {
    setSaveButtonVisible(true);
}

void ServerSettingsPage::saveToService() {
    setSaveButtonVisible(false);
    m_saveStatus->setText(kSaving);
    const QString data =
        m_icq1Edit->text() + QChar(0x05) + m_icq2Edit->text() + QChar(0x05) + QLatin1Char('0');
    runThenCallback<Answer>(
        this,
        [client = m_client, key = m_client->userKey(), data] {
            return tryRequest([&] { return client->SaveSettingsOnServer(key, data); });
        },
        [this](Answer answer) {
            const Reply reply = received(answer);
            if (!reply) {
                m_saveStatus->setText(kNoConnection);
                setSaveButtonVisible(true);
            } else if (*reply == QLatin1String("1")) {
                m_saveStatus->setText(kSaved);
                setSaveButtonVisible(false);
            } else {
                m_saveStatus->setText(kFailed);
                setSaveButtonVisible(true);
            }
            emit saveFinished();
        },
        [this](const QString& failure) {
            m_saveStatus->setText(failure);
            setSaveButtonVisible(true);
            emit saveFinished();
        });
}

void ServerSettingsPage::buyVoucher() {
    QString prompt = kBuyPrompt;
    const double fee = AccountPrices::voucherFee();
    if (fee > 0)
        prompt += kLineBreak + kLineBreak + kFeeWarning + kLineBreak + kFeeText +
                  generalNumberText(fee) + kRoubles;
    const QString amount = Prompts::inputText(this, kBuyCaption, prompt).value_or(QString());
    switch (VoucherReplies::checkAmount(amount)) {
    case VoucherReplies::AmountCheck::NotDigits:
        showMessage(this, kBadAmount);
        [[fallthrough]];
    case VoucherReplies::AmountCheck::Empty:
        emit voucherFinished();
        return;
    case VoucherReplies::AmountCheck::Valid:
        break;
    }

    auto block = std::make_shared<InputBlock>(window());
    runThenCallback<Answer>(
        this,
        [client = m_client, key = m_client->userKey(), amount] {
            return tryRequest([&] { return client->BuyVoucher(key, amount); });
        },
        [this, amount, block](Answer answer) mutable {
            const Reply reply = received(answer);
            block.reset();
            if (!reply) {
                showMessage(this, kBuyFailed);
            } else {
                switch (VoucherReplies::readPurchase(*reply)) {
                case VoucherReplies::Purchase::Issued:
                    buyIssued(*reply, amount);
                    break;
                case VoucherReplies::Purchase::NotRegistered:
                    showMessage(this, kNotRegistered + kLineBreak + kAskDevelopers);
                    break;
                case VoucherReplies::Purchase::BalanceShort:
                    showMessage(this, kBalanceShort);
                    break;
                case VoucherReplies::Purchase::NoConnection:
                    showMessage(this, kNoConnection);
                    break;
                case VoucherReplies::Purchase::Unknown:
                    showMessage(this, kUnknownError);
                    break;
                }
            }
            emit voucherFinished();
        },
        [this, block](const QString& failure) mutable {
            block.reset();
            showMessage(this, kBuyFailed + kLineBreak + failure);
            emit voucherFinished();
        });
}

// The service has taken the money: the serial must reach the user even when it could not
// be noted in the file.
void ServerSettingsPage::buyIssued(const QString& serial, const QString& amount) {
    const QString error =
        VoucherFile::append(AppPaths::dataFolder(), QDateTime::currentDateTime(), serial, amount);
    if (!error.isEmpty()) {
        showMessage(this, kBuyFailed + kLineBreak + kNotNotedReason + error);
        Prompts::inputText(this, kVoucherCaption, kCopySerial + kLineBreak + kSerialNotNoted,
                           serial);
        return;
    }
    Prompts::inputText(this, kVoucherCaption, kCopySerial + kLineBreak + kAllVouchers, serial);
}

void ServerSettingsPage::redeemVoucher() {
    const QString serial = Prompts::inputText(this, kSellCaption, kSellPrompt).value_or(QString());
    if (serial.isEmpty()) {
        emit voucherFinished();
        return;
    }
    if (serial.size() != VoucherReplies::kSerialLength) {
        showMessage(this, kBadSerial);
        emit voucherFinished();
        return;
    }

    auto block = std::make_shared<InputBlock>(window());
    runThenCallback<Answer>(
        this,
        [client = m_client, key = m_client->userKey(), serial = StripFieldSeparators(serial)] {
            return tryRequest([&] { return client->ActivateVoucher(key, serial); });
        },
        [this, block](Answer answer) mutable {
            const Reply reply = received(answer);
            block.reset();
            if (!reply) {
                showMessage(this, kSellFailed);
                emit voucherFinished();
                return;
            }
            switch (VoucherReplies::readActivation(*reply)) {
            case VoucherReplies::Activation::Credited:
                showMessage(this, kCreditedBefore + *reply + kCreditedAfter, kVoucherCaption);
                break;
            case VoucherReplies::Activation::NotFound:
                showMessage(this, kVoucherNotFound);
                break;
            case VoucherReplies::Activation::NotActivated:
                showMessage(this, kNotActivated);
                break;
            case VoucherReplies::Activation::UserNotFound:
                showMessage(this, kUserNotFound);
                break;
            case VoucherReplies::Activation::NoConnection:
                showMessage(this, kNoConnection);
                break;
            case VoucherReplies::Activation::Unknown:
                showMessage(this, kUnknownError);
                break;
            }
            emit voucherFinished();
        },
        [this, block](const QString& failure) mutable {
            block.reset();
            showMessage(this, kSellFailed + kLineBreak + failure);
            emit voucherFinished();
        });
}

void ServerSettingsPage::orderDetail() {
    orderMessageDetail(this, AccountPrices::detailPrice());
}
