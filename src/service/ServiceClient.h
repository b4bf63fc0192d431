#pragma once

#include "service/AccountState.h"
#include "service/PublishedValue.h"
#include "service/ServerRequest.h"
#include "shared/Settings.h"
#include "shared/TContactEntry.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class Registry;

// The program's one way into the service. Made from the settings store, which it reads at
// every request (address, transport, proxy), so it holds no copy that could go stale. It
// keeps the account's state for every thread; what a window must do after a command comes
// back in the result. Every command blocks and must not run on the user-interface thread;
// failures of the exchange throw ServiceError unless the command says otherwise.
class ServiceClient {
public:
    // How long a request may take at most, whatever the reply's pace. A send is never cut
    // short: giving up on a send the service may have taken invites sending it twice.
    struct Limits {
        int overallCapMs = 120000;
        int systemPathCapMs = 60000;
    };

    explicit ServiceClient(std::shared_ptr<Registry> store);
    ServiceClient(const ServiceClient&) = delete;
    ServiceClient& operator=(const ServiceClient&) = delete;

    Registry& store() const { return *m_store; }
    std::shared_ptr<Registry> sharedStore() const { return m_store; }

    AccountState account() const { return m_account.get(); }
    QString userKey() const { return account().userKey; }
    void setUserKey(const QString& key);
    // The prices and lengths of the last login, with the stored length check.
    Tariff tariff() const { return account().tariff; }
    // Replaces everything the logins told (tests).
    void setAccount(const AccountState& account) { m_account.set(account); }

    Limits limits() const { return m_limits.get(); }
    void setLimits(const Limits& limits) { m_limits.set(limits); }

    // Where the next request goes: the stored address, the default one when Port is missing.
    Settings::ServerAddress serverAddress() const;

    // One exchange with the store's current settings. A missing or mistyped setting throws
    // ServiceError (Kind::Settings).
    TransportPath transportPath() const;
    QString ServerRequest(const QString& request, int readTimeoutMs) const;
    QString ServerRequest(const QString& request, RequestOptions options,
                          std::optional<TransportPath> path = std::nullopt) const;

    struct SendExchange {
        enum class Delivery {
            Replied,       // `reply` holds the service's answer
            NotSent,       // the request never reached the service: nothing was charged
            LostAfterSend, // the request went out whole and its reply never came back
        };
        Delivery delivery = Delivery::NotSent;
        QString reply;     // line breaks as CR LF
        QString failure;   // what went wrong, when there is no reply
        bool paid = false; // a send the service answered: the balance is worth a refresh
    };

    // Sends `text` to `number` (a group's numbers joined by "|") with a delivery delay in
    // minutes, waiting for the reply however long it takes. A failing settings store throws
    // its RegistryError before anything goes out.
    SendExchange SendSms(const QString& userKey, const QString& sender, const QString& text,
                         const QString& number, int delayMinutes) const;

    // An account command's reply, and whether the balance is worth fetching a minute later
    // (only on the direct path; through the system's proxy settings it waits for the next
    // refresh that something else asks for).
    struct AccountReply {
        QString text;
        bool refreshBalanceSoon = false;
    };
    // The account data: "1" means stored.
    AccountReply SaveSettingsOnServer(const QString& userKey, const QString& data) const;
    // Base64 of the account data lines (see AccountData); empty is a failure.
    AccountReply LoadSettingsFromServer(const QString& userKey) const;
    // The new voucher's 32-character serial, or a code ("0", "-1"); `amount` is digits only.
    AccountReply BuyVoucher(const QString& userKey, const QString& amount) const;
    // The amount credited, or a code ("-1", "-2", "-3").
    AccountReply ActivateVoucher(const QString& userKey, const QString& serial) const;

    // Stores the contact payload (see ContactsPayload) for the account's key. A failed
    // exchange is a false result, never an error; a failing store throws RegistryError.
    bool SaveContactsOnServer(const QString& payload) const;
    // Fills `contacts` with the account's stored book. False when the exchange fails, the
    // service refuses, or the payload is malformed (rows read before the fault stay). A
    // payload that does not start with a group leaves `contacts` as it was and gives true.
    bool LoadContactsFromServer(TContacts& contacts) const;

    // One status code per line (CR LF), in the order of the ids (see StatusReply).
    QString QueryMessagesStatus(const QList<qint32>& ids) const;
    // The status code of one message; gives up after 5 s of silence.
    QString QueryMessageStatus(qint32 id) const;

    // A text for the user, line breaks as CR LF; empty when the service knows no such user.
    QString RestoreAccount(const QString& email) const;
    // The reply unchanged: a 48-character key, or "ERROR", "-1", empty or anything else.
    QString RegisterUser(const QString& name, const QString& number, const QString& city,
                         const QString& birthDate, const QString& email,
                         const QString& referrer) const;

    // What a login reply told beyond the values it stores in the account.
    struct UserInfo {
        // Line 0 of a reply of three lines or more, otherwise the whole reply; empty when
        // the exchange failed.
        QString judged;
        // Known once the reply held every price and length before it.
        std::optional<bool> serverContactsEnabled;
        QString notice; // the service's notice, line breaks as CR LF; empty when none
    };
    // Asks for the account's balance and tariff and stores each value read in the account.
    // Never throws.
    UserInfo GetUserInfo(const QString& userKey);

private:
    AccountReply accountRequest(const QString& request) const;
    QString requestOrFailed(const QString& request) const;

    std::shared_ptr<Registry> m_store;
    PublishedValue<AccountState> m_account;
    PublishedValue<Limits> m_limits;
};
