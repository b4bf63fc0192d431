#pragma once

#include <QList>
#include <QString>

// The kind a card gives a number (vCard TEL TYPE), which names the extra contact made of it.
enum class PhoneKind { Cell, Work, Home, Fax, Pager, Other };

struct ImportedNumber {
    QString number; // as the file wrote it
    PhoneKind kind = PhoneKind::Other;
};

// One contact as a file gave it, before its number is normalised and its group found.
struct ImportedContact {
    QString name;
    QString number; // as the file wrote it: the first of `numbers` when the file gave several
    // Every number of a card, mobile ones first, then the others in file order; empty for a
    // CSV row, whose one number is `number`.
    QList<ImportedNumber> numbers;
    QString group; // the file's group (first category or label); empty when it names none
    QString signature;
    QString sender;
    bool translit = false;
    int line = 0; // the file line where the card or row begins, counted from 1
    // A CSV row whose quote was never closed; its fields are not to be trusted.
    bool unclosedQuote = false;

    // A row that only names a group (how a CSV export keeps a group without contacts).
    bool namesGroupOnly() const {
        return name.isEmpty() && number.isEmpty() && !group.isEmpty() && !unclosedQuote;
    }
};

using ImportedContacts = QList<ImportedContact>;
