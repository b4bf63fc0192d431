#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The fields a message may hold, filled from each recipient's contact: "{Имя}", "{Номер}" and
// "{Подпись}", matched without regard to case. Anything else in braces is not a field and
// stays as typed.
namespace MessageFields {

enum Field { Name, Number, Sign, kFieldCount };

// The names as the page's menu inserts them, in the order of Field.
const QStringList& names();

// One contact's values, in the order of Field.
struct Values {
    QString name;
    QString number;
    QString sign;

    const QString& operator[](int field) const;
};

// The message cut at its fields: text between fields, and which field follows each piece
// (-1 after the last one).
struct Piece {
    QString text;
    int field = -1;
};
QList<Piece> split(const QString& message);

// True when the message holds at least one known field.
bool hasFields(const QString& message);
// Every "{…}" that names no field, as typed, once each.
QStringList unknownFields(const QString& message);

struct Filled {
    QString text;
    bool emptied = false; // a field was empty for this contact and is gone from the text
};
Filled fill(const QList<Piece>& pieces, const Values& values);
Filled fill(const QString& message, const Values& values);

} // namespace MessageFields
