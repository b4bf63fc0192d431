#pragma once

#include "contacts/CsvText.h"

#include <QList>
#include <QString>
#include <QStringList>

// Which column of a contact CSV holds what, found from its header row: our own export,
// Google Contacts' and Outlook's exports, and hand-made tables with Russian or English
// headers. Headers compare without case and surrounding spaces.
namespace CsvColumns {

struct PhoneColumn {
    qsizetype value = -1;
    // Google's "Phone N - Type" (or "- Label") beside the value: the row says which
    // number is the mobile one.
    qsizetype type = -1;
    bool mobile = false; // the header itself names a mobile number
    // Google's "Phone N - Value", which may hold "a ::: b", two numbers of one type.
    bool google = false;
};

enum class GroupStyle {
    Whole,        // the cell is the group
    GoogleLabels, // "* myContacts ::: Friends": the first label not the system's own
    Categories,   // Outlook's "Friends; Work" or "Friends, Work": the first
};

struct GroupColumn {
    qsizetype index = -1;
    GroupStyle style = GroupStyle::Whole;
};

struct Layout {
    QList<qsizetype> wholeName; // columns that hold the whole name, in column order
    qsizetype firstName = -1;
    qsizetype middleName = -1;
    qsizetype lastName = -1;
    QList<PhoneColumn> phones; // in column order
    QList<GroupColumn> groups; // in column order
    qsizetype signature = -1;
    qsizetype sender = -1;
    qsizetype translit = -1;

    bool hasPhone() const { return !phones.isEmpty(); }
};

Layout map(const QStringList& header);

// The row's values as the layout finds them; empty where the row has none.
QString nameOf(const Layout& layout, const CsvText::Record& row);
QString numberOf(const Layout& layout, const CsvText::Record& row);
QString groupOf(const Layout& layout, const CsvText::Record& row);

} // namespace CsvColumns
