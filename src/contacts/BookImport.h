#pragma once

#include "contacts/ImportedContact.h"
#include "shared/BookGroup.h"

#include <QList>
#include <QString>

class ContactBook;
class PhoneNumbers;

// What an import from a file does to the contact book, worked out first so it can be shown
// before anything changes, then carried out in one go.
namespace BookImport {

// Where a contact goes whose file names no group and for which no group was chosen.
inline const QString kNoGroup = QStringLiteral("Без группы");

enum class Problem { NoNumber, InvalidNumber };

struct Invalid {
    int line = 0;
    QString name;
    QString number;
    Problem problem = Problem::NoNumber;
};

struct Step {
    QString group;     // found by the editor's rule: the last group with exactly this caption
    bool createsGroup; // the group is made at the end of the book first
    BookEntry contact; // empty caption for a step that only makes the group
};

struct Plan {
    QList<Step> steps;
    int added = 0;
    int duplicates = 0;
    int newGroups = 0;
    QList<Invalid> invalid;
};

// The plan for the rows against the book. A row without a group of its own goes into
// `chosenGroup`, or kNoGroup when that is blank. Numbers are brought to the international
// form; a row whose number is not valid is listed, and one whose number already stands in
// its group (in the book or earlier in the file) counts as a duplicate. A row without a name
// is named by its number.
Plan plan(const QList<BookGroup>& book, const ImportedContacts& rows, const QString& chosenGroup,
          const PhoneNumbers& numbers);

// Carries the plan out on the book it was made for.
void apply(ContactBook& book, const Plan& plan);

} // namespace BookImport
