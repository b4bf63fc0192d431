#include "LoginRoutine.h"

#include "platform/Registry.h"
#include "platform/ToolkitRussian.h"
#include "service/MainWindowLink.h"
#include "service/ServiceCommands.h"
#include "service/ServiceState.h"
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

using Kind = MainWindowLink::BalloonKind;

Settings currentSettings() {
    const std::shared_ptr<Registry> store = ServiceState::SettingsStore();
    if (!store)
        throw std::runtime_error("no settings store");
    return Settings(*store);
}

void playSound(MainWindowLink& link, const Settings& settings, Setting::Str setting) {
    const QString path = settings.get(setting);
    if (!path.isEmpty() && QFileInfo(path).isFile())
        link.PlaySoundFile(path);
}

// Balance / SmsPrice to the nearest whole message, halves to even.
qint64 messageCount() {
    const double price = ServiceState::SmsPrice.get();
    if (price == 0)
        throw std::domain_error("zero message price");
    const double count = std::nearbyint(ServiceState::Balance.get() / price);
    if (!std::isfinite(count) || std::fabs(count) >= 9.2e18)
        throw std::overflow_error("message count out of range");
    return static_cast<qint64>(count);
}

void showBalance(MainWindowLink& link, const Settings& settings) {
    QString status;
    QString balloon;
    if (settings.get(Setting::ShowBalance)) {
        // The desktop's money format, not the Russian one the widgets were given.
        const QString money =
            ToolkitRussian::desktopLocale().toCurrencyString(ServiceState::Balance.get());
        status = kBalanceStatus + money;
        balloon = kBalanceBalloon + money;
    } else {
        const QString count = QString::number(messageCount());
        status = kCountStatus + count;
        balloon = kCountBalloon + count;
    }
    link.SetStatusText(status);
    link.ShowBalloon(kBalloonTitle, balloon, Kind::Information, kBalloonMs);
    ServiceState::LastConnectFailed.set(false);
    playSound(link, settings, Setting::SoundConnectOK);
}

void judge(MainWindowLink& link, const Settings& settings, const QString& reply) {
    if (reply == kUnknownKey) {
        ServiceState::UserKey.set(QString());
        if (ServiceState::UserKey.get().isEmpty() && !ServiceState::RegistrationOffered.get())
            link.OfferRegistration();
        if (!ServiceState::LastConnectFailed.get())
            playSound(link, settings, Setting::SoundConnectErr);
        ServiceState::LastConnectFailed.set(true);
    } else if (reply == kNotActivated) {
        link.SetStatusText(kNotActivatedStatus);
        link.ShowBalloon(kBalloonTitle, kNotActivatedBalloon, Kind::Information, kBalloonMs);
        ServiceState::LastConnectFailed.set(false);
        playSound(link, settings, Setting::SoundConnectOK);
    } else if (!IsNumberText(reply)) {
        link.SetStatusText(kCheckSettings);
        link.EnableConnectTimeOutTimer();
        if (!ServiceState::LastConnectFailed.get()) {
            link.ShowBalloon(kBalloonTitle, kCheckSettings, Kind::Error, kBalloonMs);
            playSound(link, settings, Setting::SoundConnectErr);
        }
        ServiceState::LastConnectFailed.set(true);
    } else {
        showBalance(link, settings);
    }
}

// Whatever went wrong, the user hears of it once and a retry follows.
void reportFailure(MainWindowLink& link) {
    try {
        link.SetStatusText(kCheckSettings);
        link.ShowBalloon(kBalloonTitle, kCheckSettings, Kind::Error, kBalloonMs);
        link.EnableConnectTimeOutTimer();
        if (!ServiceState::LastConnectFailed.get())
            playSound(link, currentSettings(), Setting::SoundConnectErr);
    } catch (...) {
        // Nothing further can be shown.
    }
    ServiceState::LastConnectFailed.set(true);
}

bool stopping() {
    return QThread::currentThread()->isInterruptionRequested();
}

} // namespace

void RefreshUserInfo() {
    const std::shared_ptr<MainWindowLink> link = MainWindowLink::current();
    try {
        link->SetStatusText(kConnecting);
        QString reply;
        GetUserInfo(ServiceState::UserKey.get(), reply);
        if (stopping())
            return;
        judge(*link, currentSettings(), reply);
    } catch (...) {
        if (!stopping())
            reportFailure(*link);
    }
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
