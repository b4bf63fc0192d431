#include "SendOutcome.h"

#include "service/SendReply.h"

#include <QHash>
#include <QStringList>

namespace {

const QString kUnknownError = QStringLiteral("Неизвестная ошибка!");

struct CodeRow {
    qint32 code;
    const char16_t* text;
    SendOutcome::Sound sound;
};

using Sound = SendOutcome::Sound;

constexpr CodeRow kCodes[] = {
    {0, u"Пользователь не зарегистрирован!", Sound::SentErr},
    {-1, u"Внутренняя ошибка сервера! Повторите попытку позже", Sound::SentErr},
    {-2, u"На Вашем балансе недостаточно средств!", Sound::SentErr},
    {-3, u"Абонент отказался от услуг Varnelo", Sound::SentErr},
    {-4, u"Неверный номер абонента!", Sound::SentErr},
    {-5, u"Пользователь не активирован!", Sound::SentErr},
    {-7, u"Привилегия админа выполнена.", Sound::SentOK},
    {-8, u"Привилегия админа НЕ выполнена!!!", Sound::SentErr},
    {-9, u"Spam detected!!!", Sound::SentErr},
    {-12, u"Недопустимый отправитель!", Sound::None},
    {-15, u"Оператор адресата запретил СМС с подменой номера", Sound::None},
    {-16, u"Непроверенный отправитель (для оператора адресата)", Sound::None},
    {-17, u"Недопустимый отправитель (для оператора адресата)", Sound::None},
    {-18, u"Недопустимый текст сообщения!", Sound::SentErr},
    {-19, u"Оператор не поддерживается", Sound::SentErr},
    {SendReply::kNoConnection, u"Невозможно установить соединение с сервером!", Sound::SentErr},
};

const CodeRow* findCode(qint32 code) {
    for (const CodeRow& row : kCodes) {
        if (row.code == code)
            return &row;
    }
    return nullptr;
}

QStringList pieces(const QString& text) {
    QStringList list = text.split(QLatin1Char('|'));
    if (list.size() > 1 && list.last().isEmpty())
        list.removeLast();
    return list;
}

// How much of a reply the journal quotes when it cannot be read.
constexpr int kQuotedReplyLength = 40;

SendOutcome single(qint32 code, const QString& number) {
    SendOutcome outcome;
    outcome.sendEnabled = code <= 0;
    outcome.statusText = SendOutcome::codeText(code);
    if (code > 0) {
        outcome.sound = Sound::SentOK;
        outcome.accepted.append({code, number});
        outcome.clearMessage = true;
        outcome.allAccepted = true;
        return outcome;
    }
    const CodeRow* row = findCode(code);
    outcome.sound = row ? row->sound : Sound::SentErr;
    // One refusal for a group turns down every number of it.
    if (code != SendReply::kNoConnection) {
        for (const QString& one : pieces(number))
            outcome.refused.append({one, outcome.statusText, code});
    }
    if (code == -2)
        outcome.action = SendOutcome::Action::LowBalance;
    else if (code == SendReply::kNoConnection)
        outcome.action = SendOutcome::Action::ConnectTimeOut;
    return outcome;
}

// One result per number, in the order of the numbers. A number gets a message id only when
// its result is there, readable and not given to another number too; the rest stay open.
SendOutcome group(const QList<std::optional<qint32>>& results, const QStringList& numbers) {
    QHash<qint32, int> uses;
    for (const std::optional<qint32>& id : results) {
        if (id && *id > 0)
            ++uses[*id];
    }
    QStringList faults;
    // Refusals beyond the numbers charge nothing; fewer results leave numbers open.
    if (results.size() < numbers.size())
        faults.append(QStringLiteral("в ответе %1 результатов на %2 номеров")
                          .arg(results.size())
                          .arg(numbers.size()));
    QStringList extraIds;
    for (qsizetype i = numbers.size(); i < results.size(); ++i) {
        if (results[i] && *results[i] > 0)
            extraIds.append(QString::number(*results[i]));
    }
    // Ids beyond the numbers say the reply is not the answer to this request in this order:
    // no id in it can be given to a number.
    if (!extraIds.isEmpty())
        faults.append(QStringLiteral("идентификаторы без номера: %1").arg(extraIds.join(", ")));

    SendOutcome outcome;
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        const std::optional<qint32> id = i < results.size() ? results[i] : std::nullopt;
        if (id && *id <= 0) {
            outcome.refused.append({numbers[i], SendOutcome::codeText(*id), *id});
            continue; // nothing charged
        }
        if (id && uses.value(*id) == 1 && extraIds.isEmpty()) {
            outcome.accepted.append({*id, numbers[i]});
            continue;
        }
        outcome.unresolved.append(numbers[i]);
        if (id && uses.value(*id) > 1)
            faults.append(QStringLiteral("идентификатор %1 повторяется").arg(*id));
        else if (id)
            faults.append(QStringLiteral("идентификатор %1 для %2").arg(*id).arg(numbers[i]));
        else if (i < results.size())
            faults.append(QStringLiteral("неразборчивый ответ для %1").arg(numbers[i]));
    }
    faults.removeDuplicates();
    outcome.sound = uses.isEmpty() ? Sound::SentErr : Sound::SentOK;
    if (faults.isEmpty()) {
        outcome.statusText = QStringLiteral("%1 из %2 SMS отправлено")
                                 .arg(outcome.accepted.size())
                                 .arg(results.size());
        outcome.allAccepted =
            !outcome.accepted.isEmpty() && outcome.accepted.size() == numbers.size();
        return outcome;
    }
    outcome.statusText = QStringLiteral("Сервер принял %1 из %2 — результат остальных неизвестен")
                             .arg(uses.size())
                             .arg(numbers.size());
    outcome.unresolvedReason = faults.join(QStringLiteral("; "));
    outcome.sendEnabled = true;
    return outcome;
}

} // namespace

bool SendOutcome::refusesTheAccount(qint32 code) {
    return code == 0 || code == -1 || code == -2 || code == -5 || code == -9;
}

QString SendOutcome::codeText(qint32 code) {
    if (code > 0)
        return QStringLiteral("Сообщение с идентификатором %1 отправлено").arg(code);
    const CodeRow* row = findCode(code);
    return row ? QString::fromUtf16(row->text) : kUnknownError;
}

SendOutcome SendOutcome::journalFailed(const QString& cause) {
    SendOutcome outcome;
    outcome.statusText =
        QStringLiteral("Сообщение не отправлено: не удалось записать журнал отправки. %1")
            .arg(cause);
    outcome.sound = Sound::SentErr;
    outcome.sendEnabled = true;
    return outcome;
}

SendOutcome SendOutcome::lostReply(const QString& numbers, const QString& failure) {
    SendOutcome outcome;
    outcome.statusText = kLostReply;
    outcome.sound = Sound::SentErr;
    outcome.sendEnabled = true;
    outcome.unresolved = pieces(numbers);
    outcome.unresolvedReason = QStringLiteral("ответ сервера не получен (%1)").arg(failure);
    return outcome;
}

SendOutcome SendOutcome::judge(const QString& reply, const QString& numbers) {
    const SendReply read = SendReply::read(reply);
    if (read.kind == SendReply::Kind::Notice) {
        SendOutcome outcome;
        outcome.action = Action::ShowNotice;
        outcome.notice = read.notice;
        outcome.sendEnabled = true;
        return outcome;
    }
    const QStringList numberList = pieces(numbers);
    if (read.kind == SendReply::Kind::Single) {
        if (!read.code) {
            // The request went out and what came back says nothing: every message may
            // have been taken.
            SendOutcome outcome;
            outcome.statusText = kUnreadReply;
            outcome.sound = Sound::SentErr;
            outcome.sendEnabled = true;
            outcome.unresolved = numberList;
            outcome.unresolvedReason = QStringLiteral("ответ сервера не разобран: «%1»")
                                           .arg(reply.left(kQuotedReplyLength));
            return outcome;
        }
        // One id for several numbers is a group answer cut short.
        if (*read.code <= 0 || numberList.size() <= 1)
            return single(*read.code, numbers);
    }
    QList<std::optional<qint32>> results = read.results;
    if (read.kind == SendReply::Kind::Single)
        results = {read.code};
    return group(results, numberList);
}
