#include "BookImport.h"

#include "contacts/BookEdits.h"
#include "contacts/ContactBook.h"
#include "contacts/ImportedText.h"
#include "contacts/PhoneNumbers.h"
#include "platform/AnsiFit.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace BookImport {

namespace {

// Already in the international form: a plus and digits only.
bool isInternationalForm(const QString& number) {
    if (number.size() < 2 || number[0] != QLatin1Char('+'))
        return false;
    for (qsizetype i = 1; i < number.size(); ++i) {
        if (number[i] < QLatin1Char('0') || number[i] > QLatin1Char('9'))
            return false;
    }
    return true;
}

// The book's numbers compare in the form the import gives, so "8 916 …" typed by hand is
// still a duplicate of "+7916…" from a file.
QString comparable(const QString& number, const PhoneNumbers& numbers) {
    if (isInternationalForm(number))
        return number;
    return numbers.international(number).value_or(number);
}

// The word a contact of its own made from a card's further number is named with.
QString kindWord(PhoneKind kind) {
    switch (kind) {
    case PhoneKind::Cell:
        return QStringLiteral("мобильный");
    case PhoneKind::Work:
        return QStringLiteral("рабочий");
    case PhoneKind::Home:
        return QStringLiteral("домашний");
    case PhoneKind::Fax:
        return QStringLiteral("факс");
    case PhoneKind::Pager:
        return QStringLiteral("пейджер");
    case PhoneKind::Other:
        break;
    }
    return QStringLiteral("другой");
}

// What the book can keep of a caption: one line, in code page 1251.
QString fitted(const QString& text) {
    return Ansi::nearest(ImportedText::oneLine(text));
}

// The chosen group may be a caption of the book, whose blanks at the ends are its own; line
// breaks around a typed name are not.
QString fallbackGroup(const QString& chosenGroup) {
    static const QRegularExpression kBreaksAround(
        QStringLiteral("^[\\r\\n\\t]+|[\\r\\n\\t]+$"));
    const QString group = fitted(QString(chosenGroup).remove(kBreaksAround));
    return BookEdits::isBlank(group) ? kNoGroup : group;
}

class Planner {
public:
    Planner(const QList<BookGroup>& book, const QString& chosenGroup, const PhoneNumbers& numbers,
            Options options)
        : m_numbers(numbers)
        , m_options(options)
        , m_fallbackGroup(fallbackGroup(chosenGroup)) {
        // A later group with the same caption hides the earlier ones, as in the editor.
        for (const BookGroup& group : book) {
            QSet<QString>& known = m_inBook[group.entry.caption];
            known.clear();
            for (const BookEntry& contact : group.contacts)
                known.insert(comparable(contact.Number, numbers));
        }
    }

    void add(const ImportedContact& contact) {
        const QString ownGroup = fitted(contact.group).trimmed();
        const QString group = ownGroup.isEmpty() ? m_fallbackGroup : ownGroup;
        if (contact.namesGroupOnly()) {
            if (ensureGroup(group))
                m_plan.steps.append({group, true, {}});
            return;
        }
        const QString written = ImportedText::oneLine(contact.name).trimmed();
        Row row;
        row.line = contact.line;
        row.name = Ansi::nearest(written);
        row.group = group;
        if (row.name != written) {
            row.originalName = written;
            ++m_plan.renamed;
        }

        // The card's numbers in its order, each valid one once.
        QList<ImportedNumber> numbers = contact.numbers;
        if (numbers.isEmpty())
            numbers.append({contact.number, PhoneKind::Other});
        QStringList valid;
        QList<PhoneKind> kinds;
        QString firstWritten;
        int unusable = 0;
        for (const ImportedNumber& number : numbers) {
            const QString text = ImportedText::oneLine(number.number).trimmed();
            if (text.isEmpty())
                continue;
            if (firstWritten.isEmpty())
                firstWritten = text;
            const std::optional<QString> international = m_numbers.international(text);
            if (!international) {
                ++unusable;
            } else if (!valid.contains(*international)) {
                valid.append(*international);
                kinds.append(number.kind);
            }
        }

        if (contact.unclosedQuote || valid.isEmpty()) {
            const Problem problem = contact.unclosedQuote    ? Problem::UnclosedQuote
                                    : firstWritten.isEmpty() ? Problem::NoNumber
                                                             : Problem::InvalidNumber;
            row.number = firstWritten;
            row.fate = contact.unclosedQuote    ? Fate::UnclosedQuote
                       : firstWritten.isEmpty() ? Fate::NoNumber
                                                : Fate::InvalidNumber;
            row.moreNumbers = firstWritten.isEmpty() ? 0 : unusable + int(valid.size()) - 1;
            m_plan.invalid.append({contact.line, written, firstWritten, problem});
            m_plan.rows.append(row);
            return;
        }

        const int extras = m_options.allNumbers ? int(valid.size()) - 1 : 0;
        const QString name = row.name;
        row.number = valid.first();
        row.moreNumbers = unusable + int(valid.size()) - 1 - extras;
        place(row, contact);
        for (qsizetype i = 1; i <= extras; ++i) {
            Row extra;
            extra.line = contact.line;
            extra.name = name.isEmpty()
                             ? valid[i]
                             : name + QStringLiteral(" (") + kindWord(kinds[i]) + u')';
            extra.number = valid[i];
            extra.group = group;
            place(extra, contact);
        }
    }

    Plan take() { return std::move(m_plan); }

private:
    // Decides the row's fate by its number and, when it is new, adds the contact.
    void place(Row& row, const ImportedContact& contact) {
        if (row.name.isEmpty())
            row.name = row.number;
        const bool createsGroup = ensureGroup(row.group);
        if (m_inBook.value(row.group).contains(row.number)) {
            row.fate = Fate::InBook;
            ++m_plan.duplicates;
        } else if (m_inFile.value(row.group).contains(row.number)) {
            row.fate = Fate::RepeatInFile;
            ++m_plan.repeats;
        } else {
            m_inFile[row.group].insert(row.number);
            BookEntry entry;
            entry.caption = row.name;
            entry.Name = entry.caption;
            entry.Number = row.number;
            entry.Sign = Ansi::nearest(contact.signature);
            entry.Sender = Ansi::nearest(contact.sender);
            entry.Translit = contact.translit;
            m_plan.steps.append({row.group, createsGroup, entry});
            ++m_plan.added;
        }
        m_plan.rows.append(row);
    }

    // Whether the group has to be made.
    bool ensureGroup(const QString& group) {
        if (m_inBook.contains(group) || m_inFile.contains(group))
            return false;
        m_inFile.insert(group, {});
        ++m_plan.newGroups;
        return true;
    }

    const PhoneNumbers& m_numbers;
    const Options m_options;
    const QString m_fallbackGroup;
    QHash<QString, QSet<QString>> m_inBook; // caption -> numbers of the group it finds
    QHash<QString, QSet<QString>> m_inFile; // caption -> numbers the file added to it
    Plan m_plan;
};

} // namespace

Plan plan(const QList<BookGroup>& book, const ImportedContacts& rows, const QString& chosenGroup,
          const PhoneNumbers& numbers, Options options) {
    Planner planner(book, chosenGroup, numbers, options);
    for (const ImportedContact& row : rows)
        planner.add(row);
    return planner.take();
}

void apply(ContactBook& book, const Plan& plan) {
    QModelIndex group;
    QString groupCaption;
    for (const Step& step : plan.steps) {
        if (step.createsGroup) {
            BookEntry entry;
            entry.caption = step.group;
            entry.Name = step.group;
            group = book.appendGroup(entry);
            groupCaption = step.group;
        } else if (!group.isValid() || groupCaption != step.group) {
            group = book.findGroup(step.group);
            groupCaption = step.group;
        }
        if (!step.contact.caption.isEmpty() && group.isValid())
            book.appendContact(group, step.contact);
    }
}

} // namespace BookImport
