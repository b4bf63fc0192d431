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
constexpr int kTimer1IntervalMs = 1;

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

void ServerSettingsPage::buildControls() {
    LoadSettingsButton = flatButton(QStringLiteral("Загрузить настройки с сервера"), this);
    LoadSettingsLabel = new QLabel(this);
    LoadSettingsLabel->setAlignment(Qt::AlignCenter);
    LoadSettingsLabel->setWordWrap(true);
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->addStretch();
    pageLayout->addWidget(LoadSettingsButton, 0, Qt::AlignHCenter);
    pageLayout->addWidget(LoadSettingsLabel);
    pageLayout->addStretch();

    // Not in the layout: it covers the whole page once the data is in.
    Panel1 = new QFrame(this);
    Panel1->setAutoFillBackground(true);
    Panel1->hide();

    Label17 = valueLabel(Panel1, kNavy);
    Label17->setAlignment(Qt::AlignCenter);
    Label17->setWordWrap(true);
    Label22 = new QLabel(QStringLiteral("Уникальный номер:"), Panel1);
    Label23 = valueLabel(Panel1, kMaroon, true);
    Label18 = new QLabel(QStringLiteral("EMail:"), Panel1);
    Label19 = valueLabel(Panel1, kNavy);
    Label20 = new QLabel(QStringLiteral("Дата регистрации:"), Panel1);
    Label21 = valueLabel(Panel1, kNavy);
    Label28 = new QLabel(QStringLiteral("Текущий баланс:"), Panel1);
    Label29 = valueLabel(Panel1, kNavy);
    Label30 = new QLabel(QStringLiteral("Стоимость СМС:"), Panel1);
    Label31 = valueLabel(Panel1, kNavy);
    Label32 = new QLabel(QStringLiteral("ICQ 1:"), Panel1);
    Edit9 = new QLineEdit(Panel1);
    Label33 = new QLabel(QStringLiteral("ICQ 2:"), Panel1);
    Edit10 = new QLineEdit(Panel1);
    SaveSettingsButton = flatButton(QStringLiteral("Сохранить настройки"), Panel1);
    SaveSettingsLabel = new QLabel(Panel1);
    SaveSettingsLabel->setAlignment(Qt::AlignCenter);
    SaveSettingsLabel->setWordWrap(true);
    BuyVoucherButt = flatButton(QStringLiteral("Купить ваучер"), Panel1);
    SellVoucherButt = flatButton(QStringLiteral("Ввести ваучер"), Panel1);
    SpeedButton6_ = flatButton(QStringLiteral("Заказать детализацию"), Panel1);
    SpeedButton6_->hide();

    auto* grid = new QGridLayout(Panel1);
    grid->addWidget(Label17, 0, 0, 1, 2);
    const std::pair<QLabel*, QWidget*> rows[] = {
        {Label22, Label23}, {Label18, Label19}, {Label20, Label21}, {Label28, Label29},
        {Label30, Label31}, {Label32, Edit9},   {Label33, Edit10},
    };
    int row = 1;
    for (const auto& [caption, value] : rows) {
        grid->addWidget(caption, row, 0, Qt::AlignRight);
        grid->addWidget(value, row, 1);
        ++row;
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {SaveSettingsButton, BuyVoucherButt, SellVoucherButt, SpeedButton6_})
        buttons->addWidget(button);
    buttons->addStretch();
    grid->addLayout(buttons, row++, 0, 1, 2);
    grid->addWidget(SaveSettingsLabel, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    setSaveButtonVisible(false);

    Timer1 = new QTimer(this);
    Timer1->setInterval(kTimer1IntervalMs);

    for (QLineEdit* edit : {Edit9, Edit10}) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &ServerSettingsPage::Edit9Change);
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { keepDigits(edit); });
    }
    connect(LoadSettingsButton, &QPushButton::clicked, this,
            &ServerSettingsPage::LoadSettingsButtonClick);
    connect(Timer1, &QTimer::timeout, this, &ServerSettingsPage::Timer1Timer);
    connect(SaveSettingsButton, &QPushButton::clicked, this,
            &ServerSettingsPage::SaveSettingsButtonClick);
    connect(BuyVoucherButt, &QPushButton::clicked, this, &ServerSettingsPage::BuyVoucherButtClick);
    connect(SellVoucherButt, &QPushButton::clicked, this,
            &ServerSettingsPage::SellVoucherButtClick);
    connect(SpeedButton6_, &QPushButton::clicked, this, &ServerSettingsPage::SpeedButton6_Click);
}

void ServerSettingsPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Panel1->setGeometry(rect());
}

// Only the digits 0 to 9 and Backspace are typed into the contact numbers.
bool ServerSettingsPage::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Edit9 || watched == Edit10) && event->type() == QEvent::KeyPress) {
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
std::optional<QString> ServerSettingsPage::received(
    const std::optional<ServiceClient::AccountReply>& answer) {
    if (!answer)
        return std::nullopt;
    if (answer->refreshBalanceSoon)
        emit balanceMayChange();
    return answer->text;
}

void ServerSettingsPage::setSaveButtonVisible(bool visible) {
    SaveSettingsButton->setVisible(visible);
    BuyVoucherButt->setVisible(!visible);
    SellVoucherButt->setVisible(!BuyVoucherButt->isHidden());
}

void ServerSettingsPage::LoadSettingsButtonClick() {
    LoadSettingsLabel->setText(kLoading);
    LoadSettingsButton->hide();
    runThenCallback<LoadOutcome>(
        this,
        [client = m_client, key = m_client->userKey()] { return loadAccountData(*client, key); },
        [this](LoadOutcome outcome) {
            if (outcome.refreshBalanceSoon)
                emit balanceMayChange();
            switch (outcome.kind) {
            case LoadOutcome::Kind::Empty:
                LoadSettingsLabel->setText(kFailed);
                LoadSettingsButton->show();
                break;
            case LoadOutcome::Kind::NoConnection:
                LoadSettingsLabel->setText(kNoConnection);
                LoadSettingsButton->show();
                break;
            case LoadOutcome::Kind::Loaded:
                fill(outcome.data);
                LoadSettingsLabel->clear();
                Timer1->start();
                setSaveButtonVisible(false);
                break;
            }
            emit loadFinished();
        },
        [this](const QString& failure) {
            LoadSettingsLabel->setText(failure);
            LoadSettingsButton->show();
            emit loadFinished();
        });
}

void ServerSettingsPage::fill(const AccountData& data) {
    Label23->setText(data.uniqueNumber);
    Label17->setText(data.greeting);
    Label19->setText(data.email);
    Label21->setText(data.registered);
    Edit9->setText(data.icq1);
    Edit10->setText(data.icq2);
    Label29->setText(data.balance + kRoubles);
    Label31->setText(data.smsPrice + kRoubles);
    AccountPrices::set(data.voucherFee, data.detailPrice);
}

void ServerSettingsPage::Timer1Timer() {
    Timer1->stop();
    Panel1->show();
    Panel1->raise();
}

void ServerSettingsPage::Edit9Change() {
    setSaveButtonVisible(true);
}

void ServerSettingsPage::SaveSettingsButtonClick() {
    setSaveButtonVisible(false);
    SaveSettingsLabel->setText(kSaving);
    const QString data =
        Edit9->text() + QChar(0x05) + Edit10->text() + QChar(0x05) + QLatin1Char('0');
    runThenCallback<Answer>(
        this,
        [client = m_client, key = m_client->userKey(), data] {
            return tryRequest([&] { return client->SaveSettingsOnServer(key, data); });
        },
        [this](Answer answer) {
            const Reply reply = received(answer);
            if (!reply) {
                SaveSettingsLabel->setText(kNoConnection);
                setSaveButtonVisible(true);
            } else if (*reply == QLatin1String("1")) {
                SaveSettingsLabel->setText(kSaved);
                setSaveButtonVisible(false);
            } else {
                SaveSettingsLabel->setText(kFailed);
                setSaveButtonVisible(true);
            }
            emit saveFinished();
        },
        [this](const QString& failure) {
            SaveSettingsLabel->setText(failure);
            setSaveButtonVisible(true);
            emit saveFinished();
        });
}

void ServerSettingsPage::BuyVoucherButtClick() {
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

void ServerSettingsPage::SellVoucherButtClick() {
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

void ServerSettingsPage::SpeedButton6_Click() {
    orderMessageDetail(this, AccountPrices::detailPrice());
}
