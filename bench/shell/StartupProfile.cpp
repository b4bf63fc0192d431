#include "StartupProfile.h"

#include "contacts/ContactBook.h"
#include "contacts/ContactStore.h"
#include "history/HistoryFile.h"
#include "platform/Registry.h"
#include "shared/Settings.h"

#include <QJsonObject>

namespace {

constexpr int kGroups = 50;
constexpr int kContactsPerGroup = 40;
constexpr int kHistoryRecords = 3000;
constexpr double kBalance = 100;

} // namespace

bool StartupProfile::prepare(QString* error) {
    // These figures are about a real window on a real X server, never an offscreen one.
    m_profile.setEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    if (!m_sandbox.start()) {
        *error = m_sandbox.errorString();
        return false;
    }
    const QString key = m_sandbox.createAccount({{QStringLiteral("balance"), kBalance}});
    if (key.isEmpty()) {
        *error = QStringLiteral("the sandbox did not create an account");
        return false;
    }

    Registry registry(m_profile.registryFile());
    Settings settings(registry);
    settings.runFirstStart({});
    settings.set(Setting::ShowSplash, false);
    settings.set(Setting::Host, m_sandbox.host());
    settings.set(Setting::Port, qint32(m_sandbox.port()));
    settings.setStoredUserKey(key);
    writeContacts(registry);
    writeHistory();
    newCommands();
    return true;
}

void StartupProfile::setFades(bool on) {
    Registry registry(m_profile.registryFile());
    Settings settings(registry);
    settings.set(Setting::SlowHideOnClose, on);
    settings.set(Setting::UseAlphaBlend, on);
}

void StartupProfile::writeContacts(Registry& registry) const {
    ContactBook book;
    for (int g = 0; g < kGroups; ++g) {
        const QString group = QStringLiteral("Группа %1").arg(g);
        const bool open = g % 2 == 0;
        const QModelIndex index = book.appendGroup({group, group, {}, {}, {}, false, open});
        for (int c = 0; c < kContactsPerGroup; ++c) {
            const QString name = QStringLiteral("Контакт %1-%2").arg(g).arg(c);
            book.appendContact(
                index,
                {name, name, QStringLiteral("+7916%1").arg(g * 100 + c, 7, 10, QLatin1Char('0')),
                 QStringLiteral("varnelo.ru"), QStringLiteral("Подпись"), false, false});
        }
    }
    ContactStore(registry).SaveContacts(book);
}

void StartupProfile::writeHistory() const {
    QList<TMess> records;
    for (int i = 1; i <= kHistoryRecords; ++i) {
        TMess record;
        record.Id = i;
        record.Date = 46000;
        record.Number = QStringLiteral("+79160000000");
        record.Sender = QStringLiteral("varnelo.ru");
        record.Text = QStringLiteral("Сообщение номер %1").arg(i);
        records.append(record);
    }
    HistoryFile(m_profile.dataFolder() + QStringLiteral("History.dat"))
        .AppendHistory(records, kHistoryRecords);
}

QStringList StartupProfile::newCommands() {
    QStringList commands;
    for (const QJsonValue& entry : m_sandbox.log(m_logSeen)) {
        const QJsonObject fields = entry.toObject();
        m_logSeen = qMax(m_logSeen, fields.value(QStringLiteral("sequence")).toInteger());
        commands.append(fields.value(QStringLiteral("command")).toString());
    }
    return commands;
}
