#pragma once

#include "platform/Ansi.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Request texts written out by hand from the protocol's grammar, so that the tests do not
// share a line of request building with the client.
namespace Requests {

constexpr char F = '\x01';

inline QByteArray cp1251(const QString& text) {
    return Ansi::fromUnicode(text);
}

inline QByteArray registerUser(const QString& email,
                               const QString& name = QStringLiteral("Иван Петров")) {
    return "1" + cp1251(name) + F + "+79161234567" + F + cp1251(QStringLiteral("Москва")) + F +
           "01.02.1990" + F + cp1251(email) + F;
}

inline QByteArray getUserInfo(const QByteArray& key) {
    return "?" + key + F + "3.1.6";
}

inline QByteArray sendSms(const QByteArray& key, const QByteArray& text, const QByteArray& number,
                          const QByteArray& sender = "Varnelo", int delay = 0) {
    return "B" + key + F + text + F + number + F + sender + F + QByteArray::number(delay);
}

inline QByteArray messagesStatus(const QList<QByteArray>& ids) {
    QByteArray out = "4";
    for (const QByteArray& id : ids)
        out += id + F;
    return out;
}

inline QByteArray messageStatus(const QByteArray& id) {
    return ";" + id;
}

inline QByteArray restoreAccount(const QString& email, bool browser = false) {
    return QByteArray("7") + (browser ? "\x03" : "") + cp1251(email);
}

inline QByteArray loadSettings(const QByteArray& key) {
    return "0" + key + F + "\x03";
}

inline QByteArray saveSettings(const QByteArray& key, const QByteArray& icq1,
                               const QByteArray& icq2) {
    return "0" + key + F + "\x04" + icq1 + "\x05" + icq2 + "\x05" + "0";
}

inline QByteArray buyVoucher(const QByteArray& key, const QByteArray& amount) {
    return "," + key + F + "\x03" + F + amount;
}

inline QByteArray activateVoucher(const QByteArray& key, const QByteArray& serial) {
    return "," + key + F + "\x04" + F + serial;
}

inline QByteArray saveContacts(const QByteArray& key, const QByteArray& payload) {
    return "=" + key + F + payload;
}

inline QByteArray loadContacts(const QByteArray& key) {
    return ">" + key;
}

inline QList<QByteArray> lines(const QByteArray& reply) {
    return reply.split(F);
}

} // namespace Requests
