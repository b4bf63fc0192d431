#include "PaymentPage.h"

#include "Money.h"
#include "Protocol.h"
#include "platform/Ansi.h"

#include <cctype>

namespace PaymentPage {

namespace {

constexpr int kColourDigits = 6;
const QString kDefaultText = QStringLiteral("#2C55B1");
const QString kDefaultBackground = QStringLiteral("#D3ECCE");

} // namespace

QString htmlColour(const QByteArray& colourNumber) {
    if (colourNumber.size() != kColourDigits)
        return {};
    for (char c : colourNumber)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
    const QByteArray rgb = colourNumber.mid(4, 2) + colourNumber.mid(2, 2) + colourNumber.mid(0, 2);
    return QLatin1Char('#') + QString::fromLatin1(rgb).toUpper();
}

QByteArray render(SandboxContext& context, const QByteArray& query) {
    QString text = kDefaultText;
    QString background = kDefaultBackground;
    QByteArray key = query;
    if (query.size() >= 2 * kColourDigits) {
        const QString queryText = htmlColour(query.right(2 * kColourDigits).left(kColourDigits));
        const QString queryBackground = htmlColour(query.right(kColourDigits));
        if (!queryText.isEmpty() && !queryBackground.isEmpty()) {
            text = queryText;
            background = queryBackground;
            key.chop(2 * kColourDigits);
        }
    }

    QString account;
    {
        std::lock_guard lock(context.mutex);
        if (const std::optional<Account> found =
                context.store.accountByKey(Protocol::normalizedKey(key)))
            account = QStringLiteral(
                          "<p>Ваш уникальный номер: <b>%1</b>. Текущий баланс: <b>%2 руб.</b></p>")
                          .arg(found->id)
                          .arg(QString::fromLatin1(Money::format(found->balance)));
    }

    const QString page =
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"ru\"><head>"
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
            "<title>Оплата услуг Varnelo</title></head>\n"
            "<body style=\"color: %1; background-color: %2; font-family: sans-serif;\">\n"
            "<h2>Как пополнить баланс</h2>\n%3"
            "<p>Это учебный сервис Varnelo: настоящие деньги здесь не принимаются.</p>\n"
            "<ol>\n"
            "<li>Выберите удобный способ оплаты: банковская карта, электронный кошелёк или "
            "платёжный терминал.</li>\n"
            "<li>В назначении платежа укажите свой уникальный номер из настроек программы "
            "(страница «Сервер»).</li>\n"
            "<li>Деньги поступят на баланс в течение нескольких минут; баланс обновится в "
            "главном окне программы.</li>\n"
            "</ol>\n"
            "<p>Пополнить баланс можно также ваучером: купите его или получите у другого "
            "пользователя и введите серийный номер в настройках программы.</p>\n"
            "</body></html>\n")
            .arg(text, background, account);
    return Ansi::fromUnicode(page);
}

} // namespace PaymentPage
