#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the send flow makes of one reply of SendSms: the status-bar text, the sound, the
// extra action and the messages the service accepted, each of which becomes a history
// record. Free of windows, so the send window and the command-line tool share it.
struct SendOutcome {
    enum class Sound { None, SentOK, SentErr };
    enum class Action {
        None,
        ShowNotice,     // message 254 with `notice`; no history record
        LowBalance,     // message 252: the payment page
        ConnectTimeOut, // the main window's ConnectTimeOutTimer on
    };
    struct Accepted {
        qint32 id = 0;
        QString number;
    };

    static inline const QString kConnecting = QStringLiteral("Установка соединения с сервером...");
    static inline const QString kLostReply = QStringLiteral(
        "Ответ сервера не получен, а запрос до него дошел: сообщение могло быть отправлено. "
        "Проверьте, прежде чем отправлять снова.");
    static inline const QString kUnreadReply = QStringLiteral(
        "Неизвестная ошибка! Ответ сервера не разобран: сообщение могло быть отправлено. "
        "Проверьте, прежде чем отправлять снова.");

    // A number the service turned down, with its reason: nothing was charged for it.
    struct Refused {
        QString number;
        QString reason;
        qint32 code = 0;
    };

    QString statusText;
    Sound sound = Sound::None;
    Action action = Action::None;
    QString notice;
    QList<Accepted> accepted; // in reply order
    QList<Refused> refused;   // in number order
    // Numbers whose outcome the reply leaves open: the service may have taken and charged
    // their messages, so they are neither recorded as sent nor offered again as unsent.
    QStringList unresolved;
    // Why some outcome is open, for the journal; empty when everything is known.
    QString unresolvedReason;
    bool clearMessage = false; // a single send went through
    bool sendEnabled = false;  // the page's Send button afterwards
    bool allAccepted = false;  // every recipient has its message id

    // `reply` as SendSms returned it, or empty for a send that could not be made or failed
    // in the exchange; `numbers` the page's Number (a group's joined by "|").
    static SendOutcome judge(const QString& reply, const QString& numbers);
    // The send journal could not be written, so nothing was sent.
    static SendOutcome journalFailed(const QString& cause);
    // The request reached the service, but its reply was lost on the way back.
    static SendOutcome lostReply(const QString& numbers, const QString& failure);

    // A refusal that every further number of the account would meet too (not registered,
    // not activated, no money, a fault of the server, spam).
    static bool refusesTheAccount(qint32 code);
    // The status text of a single result code.
    static QString codeText(qint32 code);
};
