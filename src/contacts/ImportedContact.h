#pragma once

#include <QList>
#include <QString>

// One contact as a file gave it, before its number is normalised and its group found.
struct ImportedContact {
    QString name;
    QString number; // as the file wrote it
    QString group;  // the file's group (first category or label); empty when it names none
    QString signature;
    QString sender;
    bool translit = false;
    int line = 0; // the file line where the card or row begins, counted from 1

    // A row that only names a group (how a CSV export keeps a group without contacts).
    bool namesGroupOnly() const { return name.isEmpty() && number.isEmpty() && !group.isEmpty(); }
};

using ImportedContacts = QList<ImportedContact>;
