#include "LoginRoutine.h"

#include "platform/Registry.h"
#include "platform/Sound.h"
#include "platform/ToolkitRussian.h"
#include "service/ServiceClient.h"
#include "shared/Settings.h"

#include <QFileInfo>
#include <QLocale>
#include <QThread>

#include <cmath>
#include <stdexcept>

namespace {

const QString kConnecting = QStringLiteral("Подключение...");
const QString kNotActivatedStatus = QStringLiteral("Не активирован");
const QString kNotActivatedBalloon = QStringLiteral("Пользователь не активирован");
const QString kCheckSettings = QStringLiteral("Ошибка. Проверьте настройки.");
const QString kBalanceStatus = QStringLiteral("Баланс: ");
const QString kBalanceBalloon = QStringLiteral("Текущий баланс: ");
const QString kCountStatus = QStringLiteral("SMS: ");
const QString kCountBalloon = QStringLiteral("Количество SMS: ");
const QString kBalloonTitle = QStringLiteral("Varnelo");
const QString kUnknownKey = QStringLiteral("-2");
const QString kNotActivated = QStringLiteral("-1");
constexpr int kBalloonMs = 10000;

using Kind = LoginOutcome::BalloonKind;

LoginOutcome::Balloon balloon(const QString& text, Kind kind) {
    return {kBalloonTitle, text, kind, kBalloonMs};
}

// Balance / SmsPrice to the nearest whole message, halves to even.
qint64 messageCount(double balance, double price) {
    if (price == 0)
        throw std::domain_error("zero message price");
    const double count = std::nearbyint(balance / price);
    if (!std::isfinite(count) || std::fabs(count) >= 9.2e18)
        throw std::overflow_error("message count out of range");
    return static_cast<qint64>(count);
}

bool stopping() {
    return QThread::currentThread()->isInterruptionRequested();
}

} // namespace

LoginRoutine::LoginRoutine(std::shared_ptr<ServiceClient> client)
    : m_client(std::move(client)) {
}

LoginOutcome LoginRoutine::connecting() {
    LoginOutcome outcome;
    outcome.statusText = kConnecting;
    return outcome;
}

// The sound setting of a connect or a failure, when it names an existing file.
QString LoginRoutine::soundOf(bool connected) const {
    const QString path = Settings(m_client->store())
                             .get(connected ? Setting::SoundConnectOK : Setting::SoundConnectErr);
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

LoginOutcome LoginRoutine::balanceShown() {
    const AccountState account = m_client->account();
    LoginOutcome outcome;
    if (Settings(m_client->store()).get(Setting::ShowBalance)) {
        // The desktop's money format, not the Russian one the widgets were given.
        const QString money = ToolkitRussian::desktopLocale().toCurrencyString(account.balance);
        outcome.statusText = kBalanceStatus + money;
        outcome.balloon = balloon(kBalanceBalloon + money, Kind::Information);
    } else {
        const QString count =
            QString::number(messageCount(account.balance, account.tariff.SmsPrice));
        outcome.statusText = kCountStatus + count;
        outcome.balloon = balloon(kCountBalloon + count, Kind::Information);
    }
    m_lastConnectFailed = false;
    outcome.sound = soundOf(true);
    return outcome;
}

LoginOutcome LoginRoutine::judge(const QString& reply) {
    LoginOutcome outcome;
    if (reply == kUnknownKey) {
        m_client->setUserKey(QString());
        outcome.offerRegistration = true;
        if (!m_lastConnectFailed)
            outcome.sound = soundOf(false);
        m_lastConnectFailed = true;
    } else if (reply == kNotActivated) {
        outcome.statusText = kNotActivatedStatus;
        outcome.balloon = balloon(kNotActivatedBalloon, Kind::Information);
        m_lastConnectFailed = false;
        outcome.sound = soundOf(true);
    } else if (!IsNumberText(reply)) {
        outcome.statusText = kCheckSettings;
        outcome.retryLater = true;
        if (!m_lastConnectFailed) {
            outcome.balloon = balloon(kCheckSettings, Kind::Error);
            outcome.sound = soundOf(false);
        }
        m_lastConnectFailed = true;
    } else {
        outcome = balanceShown();
    }
    return outcome;
}

// Whatever went wrong, the user hears of it once and a retry follows.
LoginOutcome LoginRoutine::failed() {
    LoginOutcome outcome;
    outcome.statusText = kCheckSettings;
    outcome.balloon = balloon(kCheckSettings, Kind::Error);
    outcome.retryLater = true;
    try {
        if (!m_lastConnectFailed)
            outcome.sound = soundOf(false);
    } catch (...) {
        // Nothing further can be told.
    }
    m_lastConnectFailed = true;
    return outcome;
}

std::optional<LoginOutcome> LoginRoutine::login() {
    ServiceClient::UserInfo info;
    LoginOutcome outcome;
    try {
        info = m_client->GetUserInfo(m_client->userKey());
        if (stopping())
            return std::nullopt;
        outcome = judge(info.judged);
    } catch (...) {
        if (stopping())
            return std::nullopt;
        outcome = failed();
    }
    // What the reply told is shown whatever the judgement.
    outcome.serverContactsVisible = info.serverContactsEnabled;
    outcome.notice = info.notice;
    return outcome;
}

void LoginRoutine::refresh(const std::function<bool(const LoginOutcome&)>& show) {
    if (!show(connecting()))
        return;
    const std::optional<LoginOutcome> outcome = login();
    if (outcome && show(*outcome) && !outcome->sound.isEmpty())
        Sound::playFile(outcome->sound);
}

bool IsNumberText(const QString& text) {
    qsizetype start = 0;
    if (text.size() > 1 && text[0] == QLatin1Char('-'))
        start = 1;
    if (start >= text.size())
        return false;
    for (qsizetype i = start; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digit && c != QLatin1Char(',') && c != QLatin1Char('.'))
            return false;
    }
    return true;
}
