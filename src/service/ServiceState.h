#pragma once

#include "service/PublishedValue.h"
#include "shared/Settings.h"
#include "shared/Tariff.h"

#include <QString>

#include <memory>

class Registry;

// The program-wide values of the service client. Each is published whole, so any thread may
// read it while another writes it.
namespace ServiceState {

// The account key in plain; empty means no account.
inline PublishedValue<QString> UserKey;

// What the last login reply told; the lengths hold 70 until the first reply.
inline PublishedValue<double> Balance;
inline PublishedValue<double> SmsPrice;
inline PublishedValue<double> ExtraPartPrice;
inline PublishedValue<qint32> PartLength{70};
inline PublishedValue<qint32> MaxMessageLength{70};
inline PublishedValue<bool> ServerContactsEnabled;
inline PublishedValue<bool> ExtraOptionEnabled;
// The latest notice from the service; the main window empties it once shown.
inline PublishedValue<QString> ServiceMessage;
// Set once at start from the settings.
inline PublishedValue<bool> CheckTextLength{true};

// The prices and lengths of the last login, with CheckTextLength, read together.
Tariff CurrentTariff();

// The login routine's memory between refreshes.
inline PublishedValue<bool> LastConnectFailed;
inline PublishedValue<bool> RegistrationOffered;

// The live address of the service, replaced as one piece; a request reads both at once.
void SetServiceAddress(const QString& host, qint32 port);
Settings::ServerAddress ServiceAddress();
QString ServiceHost();
qint32 ServicePort();

// The settings store read at every request; without one, every request fails.
void SetSettingsStore(std::shared_ptr<Registry> registry);
std::shared_ptr<Registry> SettingsStore();

// How long a request may take at most, whatever the reply's pace. A command that must not
// give up (a send) waits without limit. Tests shorten them.
inline constexpr int kDefaultOverallCapMs = 120000;
inline constexpr int kDefaultSystemPathCapMs = 60000;
inline PublishedValue<int> OverallCapMs{kDefaultOverallCapMs};
inline PublishedValue<int> SystemPathCapMs{kDefaultSystemPathCapMs};

} // namespace ServiceState
