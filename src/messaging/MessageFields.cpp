#include "MessageFields.h"

#include <QRegularExpression>

namespace MessageFields {

namespace {

// A brace pair around a short name without line breaks or other braces.
const QRegularExpression& fieldPattern() {
    static const QRegularExpression pattern(QStringLiteral("\\{([^{}\\r\\n]{1,30})\\}"));
    return pattern;
}

int fieldOf(const QString& token) {
    const QStringList& known = names();
    for (int field = 0; field < known.size(); ++field) {
        if (token.compare(known[field], Qt::CaseInsensitive) == 0)
            return field;
    }
    return -1;
}

} // namespace

const QStringList& names() {
    static const QStringList list = {QStringLiteral("{Имя}"), QStringLiteral("{Номер}"),
                                     QStringLiteral("{Подпись}")};
    return list;
}

const QString& Values::operator[](int field) const {
    switch (field) {
    case Name:
        return name;
    case Number:
        return number;
    default:
        return sign;
    }
}

QList<Piece> split(const QString& message) {
    QList<Piece> pieces;
    qsizetype from = 0;
    QRegularExpressionMatchIterator it = fieldPattern().globalMatch(message);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const int field = fieldOf(match.captured(0));
        if (field < 0)
            continue;
        pieces.append({message.mid(from, match.capturedStart() - from), field});
        from = match.capturedEnd();
    }
    pieces.append({message.mid(from), -1});
    return pieces;
}

bool hasFields(const QString& message) {
    return split(message).size() > 1;
}

QStringList unknownFields(const QString& message) {
    QStringList unknown;
    QRegularExpressionMatchIterator it = fieldPattern().globalMatch(message);
    while (it.hasNext()) {
        const QString token = it.next().captured(0);
        if (fieldOf(token) < 0 && !unknown.contains(token))
            unknown.append(token);
    }
    return unknown;
}

Filled fill(const QList<Piece>& pieces, const Values& values) {
    Filled filled;
    for (const Piece& piece : pieces) {
        filled.text += piece.text;
        if (piece.field < 0)
            continue;
        const QString& value = values[piece.field];
        filled.emptied = filled.emptied || value.isEmpty();
        filled.text += value;
    }
    return filled;
}

Filled fill(const QString& message, const Values& values) {
    return fill(split(message), values);
}

} // namespace MessageFields
