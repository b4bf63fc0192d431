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

enum class Problem { NoNumber, InvalidNumber, UnclosedQuote };

// What becomes of one row of the file.
enum class Fate { New, InBook, RepeatInFile, InvalidNumber, NoNumber, UnclosedQuote };

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

struct Row {
    int line = 0;
    QString name;   // as it will be stored (fitted, one line)
    QString number; // as stored (international form); as written when not valid
    QString group;  // the group it goes to
    Fate fate = Fate::New;
    QString originalName; // the file's name, on one line, when fitting changed it, else empty
    int moreNumbers = 0;  // further numbers of the card that were not taken
};

struct Options {
    // Every further valid number of a card becomes a contact of its own, "Name (kind)".
    bool allNumbers = false;
};

struct Plan {
    QList<Step> steps;
    int added = 0;
    int duplicates = 0; // rows whose number already stands in the book, in the same group
    int repeats = 0;    // rows whose number came earlier in the file, in the same group
    int newGroups = 0;
    QList<Invalid> invalid;
    // Every contact row of the file in file order; the extra contacts of allNumbers follow
    // their card's row with the same line.
    QList<Row> rows;
    int renamed = 0; // rows whose name had to be fitted to what the book can keep
};

// The plan for the rows against the book. A row without a group of its own goes into
// `chosenGroup`, or kNoGroup when that is blank. Numbers are brought to the international
// form, of a card's numbers the first valid one; a row whose number is not valid is listed,
// one whose number already stands in its group counts as a duplicate, one whose number came
// earlier in the file in its group as a repeat. Names, numbers and groups are made one line
// and names and groups fitted to code page 1251; a row without a name is named by its number.
Plan plan(const QList<BookGroup>& book, const ImportedContacts& rows, const QString& chosenGroup,
          const PhoneNumbers& numbers, Options options = {});

// Carries the plan out on the book it was made for.
void apply(ContactBook& book, const Plan& plan);

} // namespace BookImport
