#include "BookLayout.h"

#include "contacts/ContactBook.h"

namespace BookLayout {

QList<BookGroup> parse(const QString& layout) {
    QList<BookGroup> groups;
    for (const QString& token : layout.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype open = token.indexOf(QLatin1Char('['));
        BookGroup group;
        group.entry.caption = token.left(open);
        if (group.entry.caption.endsWith(QLatin1Char('+'))) {
            group.entry.caption.chop(1);
            group.entry.expanded = true;
        }
        const QString inside = token.mid(open + 1, token.size() - open - 2);
        for (const QString& caption : inside.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            BookEntry contact;
            contact.caption = caption;
            contact.Name = caption;
            contact.Number = QStringLiteral("+7") + caption;
            group.contacts.append(contact);
        }
        groups.append(group);
    }
    return groups;
}

QString of(const QList<BookGroup>& groups) {
    QStringList tokens;
    for (const BookGroup& group : groups) {
        QStringList contacts;
        for (const BookEntry& contact : group.contacts)
            contacts.append(contact.caption);
        tokens.append(group.entry.caption +
                      (group.entry.expanded ? QStringLiteral("+") : QString()) + QLatin1Char('[') +
                      contacts.join(QLatin1Char(',')) + QLatin1Char(']'));
    }
    return tokens.join(QLatin1Char(' '));
}

QString of(const ContactBook& book) {
    return of(book.groups());
}

} // namespace BookLayout
