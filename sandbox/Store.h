#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

// One account of the service. Texts are held as the user gave them (decoded from code
// page 1251); money in kopecks.
struct Account {
    qint64 id = 0;
    QByteArray key;
    QString email;
    QString name;
    QString phone;
    QString city;
    QString birthDate;
    QString referrer;
    QString registered; // "dd.MM.yyyy"
    qint64 balance = 0;
    bool activated = false;
    // A text waiting for the user; each of the two commands that carry notices answers it once.
    QString notice;
    bool noticeForSend = false;
    bool noticeForInfo = false;
    // Unset: the service-wide default applies.
    std::optional<bool> serverContacts;
    std::optional<bool> extraOption;
    QString icq1;
    QString icq2;
};

struct Message {
    qint64 id = 0;
    qint64 accountId = 0;
    QByteArray number;
    QString sender;
    QString text;
    int delayMinutes = 0;
    int parts = 0;
    qint64 price = 0;
    qint64 createdMs = 0;
    std::optional<int> statusOverride; // set by the admin interface
};

struct Voucher {
    QByteArray serial;
    qint64 amount = 0;
    qint64 buyerId = 0;
    qint64 createdMs = 0;
    qint64 redeemedBy = 0; // 0 while not redeemed
};

// The service's state in SQLite: a file, or ":memory:". Not thread-safe; its owner
// serialises access (see SandboxContext).
class Store {
public:
    explicit Store(const QString& path);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    bool isOpen() const { return m_db != nullptr; }
    QString errorString() const { return m_error; }

    std::optional<Account> accountByKey(const QByteArray& key);
    std::optional<Account> accountByEmail(const QString& email);
    QList<Account> accounts();
    bool insertAccount(Account& account); // fills in the id; false when key or e-mail is taken
    void updateAccount(const Account& account);

    std::optional<QByteArray> contacts(qint64 accountId); // unset: never saved
    void setContacts(qint64 accountId, const QByteArray& payload);

    void insertMessage(Message& message); // fills in the id
    std::optional<Message> message(qint64 id);
    QList<Message> messages(std::optional<qint64> accountId, qint64 afterId, int limit);
    bool setStatusOverride(qint64 id, std::optional<int> status);

    bool insertVoucher(const Voucher& voucher);
    std::optional<Voucher> voucher(const QByteArray& serial);
    void markRedeemed(const QByteArray& serial, qint64 accountId);

    bool isRefused(const QByteArray& number);
    void addRefusal(const QByteArray& number);
    void removeRefusal(const QByteArray& number);
    QList<QByteArray> refusals();

    void clear();

    // Groups the writes of one command: all or nothing.
    class Transaction {
    public:
        explicit Transaction(Store& store);
        ~Transaction();
        void commit();

    private:
        Store& m_store;
        bool m_done = false;
    };

private:
    class Statement;
    sqlite3_stmt* prepared(const char* sql);
    void exec(const char* sql);
    Account readAccount(sqlite3_stmt* statement);
    Message readMessage(sqlite3_stmt* statement);

    sqlite3* m_db = nullptr;
    QString m_error;
    std::unordered_map<const char*, sqlite3_stmt*> m_statements;
};
