#include "SendOutcome.h"

#include "service/SendReply.h"

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
    if (code == -2)
        outcome.action = SendOutcome::Action::LowBalance;
    else if (code == SendReply::kNoConnection)
        outcome.action = SendOutcome::Action::ConnectTimeOut;
    return outcome;
}

} // namespace

QString SendOutcome::codeText(qint32 code) {
    if (code > 0)
        return QStringLiteral("Сообщение с идентификатором %1 отправлено").arg(code);
    const CodeRow* row = findCode(code);
    return row ? QString::fromUtf16(row->text) : kUnknownError;
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
    if (read.kind == SendReply::Kind::Single) {
        if (!read.code) {
            SendOutcome outcome;
            outcome.statusText = kUnknownError;
            return outcome;
        }
        return single(*read.code, numbers);
    }

    // A group: one result per number, in the order of the numbers.
    SendOutcome outcome;
    const QStringList numberList = pieces(numbers);
    for (qsizetype i = 0; i < read.results.size(); ++i) {
        const std::optional<qint32> id = read.results[i];
        if (!id || (*id > 0 && i >= numberList.size())) {
            // What was accepted before the fault is still recorded.
            outcome.statusText = kUnknownError;
            outcome.sound = Sound::None;
            return outcome;
        }
        if (*id > 0)
            outcome.accepted.append({*id, numberList[i]});
    }
    outcome.statusText = QStringLiteral("%1 из %2 SMS отправлено")
                             .arg(outcome.accepted.size())
                             .arg(read.results.size());
    outcome.sound = outcome.accepted.isEmpty() ? Sound::SentErr : Sound::SentOK;
    outcome.allAccepted = !outcome.accepted.isEmpty() &&
                          outcome.accepted.size() == read.results.size() &&
                          read.results.size() == numberList.size();
    return outcome;
}
