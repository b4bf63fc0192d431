#include "BookImport.h"

#include "contacts/BookEdits.h"
#include "contacts/ContactBook.h"
#include "contacts/PhoneNumbers.h"

#include <QHash>
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

class Planner {
public:
    Planner(const QList<BookGroup>& book, const QString& chosenGroup, const PhoneNumbers& numbers)
        : m_numbers(numbers),
          m_fallbackGroup(BookEdits::isBlank(chosenGroup) ? kNoGroup : chosenGroup) {
        // A later group with the same caption hides the earlier ones, as in the editor.
        for (const BookGroup& group : book) {
            QSet<QString>& known = m_groups[group.entry.caption];
            known.clear();
            for (const BookEntry& contact : group.contacts)
                known.insert(comparable(contact.Number, numbers));
        }
    }

    void add(const ImportedContact& row) {
        const QString group = row.group.trimmed().isEmpty() ? m_fallbackGroup : row.group.trimmed();
        if (row.namesGroupOnly()) {
            if (ensureGroup(group))
                m_plan.steps.append({group, true, {}});
            return;
        }
        const QString written = row.number.trimmed();
        if (written.isEmpty()) {
            m_plan.invalid.append({row.line, row.name, row.number, Problem::NoNumber});
            return;
        }
        const std::optional<QString> number = m_numbers.international(written);
        if (!number) {
            m_plan.invalid.append({row.line, row.name, row.number, Problem::InvalidNumber});
            return;
        }
        const bool createsGroup = ensureGroup(group);
        QSet<QString>& known = m_groups[group];
        if (known.contains(*number)) {
            ++m_plan.duplicates;
            return;
        }
        known.insert(*number);
        BookEntry contact;
        contact.caption = row.name.trimmed().isEmpty() ? *number : row.name;
        contact.Name = contact.caption;
        contact.Number = *number;
        contact.Sign = row.signature;
        contact.Sender = row.sender;
        contact.Translit = row.translit;
        m_plan.steps.append({group, createsGroup, contact});
        ++m_plan.added;
    }

    Plan take() { return std::move(m_plan); }

private:
    // Whether the group has to be made.
    bool ensureGroup(const QString& group) {
        if (m_groups.contains(group))
            return false;
        m_groups.insert(group, {});
        ++m_plan.newGroups;
        return true;
    }

    const PhoneNumbers& m_numbers;
    const QString m_fallbackGroup;
    QHash<QString, QSet<QString>> m_groups; // caption -> numbers of the group it finds
    Plan m_plan;
};

} // namespace

Plan plan(const QList<BookGroup>& book, const ImportedContacts& rows, const QString& chosenGroup,
          const PhoneNumbers& numbers, Options /*options*/) {
    Planner planner(book, chosenGroup, numbers);
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
