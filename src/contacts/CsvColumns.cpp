#include "CsvColumns.h"

#include <QHash>
#include <QSet>

namespace CsvColumns {

namespace {

// Google puts two numbers or labels of one kind into one cell with this between them.
const QString kGoogleJoin = QStringLiteral(":::");

const QSet<QString> kWholeName{QStringLiteral("фио"), QStringLiteral("name"),
                               QStringLiteral("full name"), QStringLiteral("display name"),
                               QStringLiteral("полное имя")};
const QSet<QString> kFirstName{QStringLiteral("first name"), QStringLiteral("given name")};
const QSet<QString> kMiddleName{QStringLiteral("middle name"), QStringLiteral("additional name"),
                                QStringLiteral("отчество")};
const QSet<QString> kLastName{QStringLiteral("last name"), QStringLiteral("family name"),
                              QStringLiteral("фамилия")};
// "Имя" is the whole name in a table without a family name column, the first name in one
// with it.
const QString kRussianName = QStringLiteral("имя");

const QSet<QString> kMobilePhone{QStringLiteral("мобильный телефон"),
                                 QStringLiteral("мобильный"),
                                 QStringLiteral("сотовый"),
                                 QStringLiteral("сотовый телефон"),
                                 QStringLiteral("mobile"),
                                 QStringLiteral("mobile phone"),
                                 QStringLiteral("mobile number"),
                                 QStringLiteral("cell"),
                                 QStringLiteral("cell phone")};
const QSet<QString> kOtherPhone{
    QStringLiteral("телефон"),           QStringLiteral("номер"),
    QStringLiteral("номер телефона"),    QStringLiteral("рабочий телефон"),
    QStringLiteral("домашний телефон"),  QStringLiteral("другой телефон"),
    QStringLiteral("основной телефон"),  QStringLiteral("phone"),
    QStringLiteral("phone number"),      QStringLiteral("telephone"),
    QStringLiteral("primary phone"),     QStringLiteral("home phone"),
    QStringLiteral("business phone"),    QStringLiteral("work phone"),
    QStringLiteral("other phone"),       QStringLiteral("car phone"),
    QStringLiteral("company main phone")};

const QHash<QString, GroupStyle> kGroups{
    {QStringLiteral("группа"), GroupStyle::Whole},
    {QStringLiteral("group"), GroupStyle::Whole},
    {QStringLiteral("group membership"), GroupStyle::GoogleLabels},
    {QStringLiteral("labels"), GroupStyle::GoogleLabels},
    {QStringLiteral("categories"), GroupStyle::Categories},
    {QStringLiteral("категории"), GroupStyle::Categories},
};

QString normalized(QString header) {
    header.remove(QChar(0xFEFF));
    return header.simplified().toLower();
}

// "Home Phone 2", "Телефон 3": a second column of a known kind.
QString withoutOrdinal(const QString& header) {
    const qsizetype space = header.lastIndexOf(u' ');
    if (space <= 0 || space + 1 == header.size())
        return header;
    for (qsizetype i = space + 1; i < header.size(); ++i) {
        if (!header[i].isDigit())
            return header;
    }
    return header.first(space);
}

// Google's "phone 2 - value" gives ("2", "value"); anything else gives nothing.
bool splitGooglePhone(const QString& header, QString* ordinal, QString* part) {
    static const QString kPrefix = QStringLiteral("phone ");
    static const QString kDash = QStringLiteral(" - ");
    if (!header.startsWith(kPrefix))
        return false;
    const qsizetype dash = header.indexOf(kDash, kPrefix.size());
    if (dash < 0)
        return false;
    *ordinal = header.sliced(kPrefix.size(), dash - kPrefix.size());
    *part = header.sliced(dash + kDash.size());
    if (ordinal->isEmpty())
        return false;
    for (const QChar c : *ordinal) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

bool isMobileType(const QString& cell) {
    QString type = cell.trimmed();
    if (type.startsWith(u'*'))
        type = type.sliced(1).trimmed();
    type = type.toLower();
    return type == u"mobile" || type == u"cell" || type == u"мобильный" || type == u"сотовый";
}

// The pieces of a cell between separators, trimmed, empty ones left out.
QStringList pieces(const QString& cell, const QString& separator) {
    QStringList result;
    for (const QString& piece : cell.split(separator)) {
        const QString trimmed = piece.trimmed();
        if (!trimmed.isEmpty())
            result += trimmed;
    }
    return result;
}

QString phoneCell(const PhoneColumn& column, const CsvText::Record& row) {
    const QString cell = row.field(column.value).trimmed();
    if (!column.google || !cell.contains(kGoogleJoin))
        return cell;
    const QStringList numbers = pieces(cell, kGoogleJoin);
    return numbers.isEmpty() ? QString() : numbers.first();
}

QString groupCell(const GroupColumn& column, const CsvText::Record& row) {
    const QString cell = row.field(column.index);
    switch (column.style) {
    case GroupStyle::Whole:
        return cell;
    case GroupStyle::GoogleLabels:
        for (const QString& label : pieces(cell, kGoogleJoin)) {
            // Google's own labels ("* myContacts", "* starred") are no group of the user's.
            if (!label.startsWith(u"* "))
                return label;
        }
        return {};
    case GroupStyle::Categories:
        for (const QString& category : cell.split(u';')) {
            const QStringList names = pieces(category, QStringLiteral(","));
            if (!names.isEmpty())
                return names.first();
        }
        return {};
    }
    return {};
}

void setOnce(qsizetype& column, qsizetype index) {
    if (column < 0)
        column = index;
}

} // namespace

Layout map(const QStringList& header) {
    QStringList names;
    names.reserve(header.size());
    bool hasLastName = false;
    for (const QString& cell : header) {
        names += normalized(cell);
        hasLastName = hasLastName || kLastName.contains(names.last());
    }

    Layout layout;
    QHash<QString, qsizetype> googleTypes; // ordinal → "Phone N - Type" column
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names[i];
        QString ordinal;
        QString part;
        if (name == kRussianName) {
            if (hasLastName)
                setOnce(layout.firstName, i);
            else
                layout.wholeName += i;
        } else if (kWholeName.contains(name)) {
            layout.wholeName += i;
        } else if (kFirstName.contains(name)) {
            setOnce(layout.firstName, i);
        } else if (kMiddleName.contains(name)) {
            setOnce(layout.middleName, i);
        } else if (kLastName.contains(name)) {
            setOnce(layout.lastName, i);
        } else if (kMobilePhone.contains(withoutOrdinal(name))) {
            layout.phones += PhoneColumn{.value = i, .mobile = true};
        } else if (kOtherPhone.contains(withoutOrdinal(name))) {
            layout.phones += PhoneColumn{.value = i};
        } else if (splitGooglePhone(name, &ordinal, &part)) {
            if (part == u"value")
                layout.phones += PhoneColumn{.value = i, .type = -1, .google = true};
            else if (part == u"type" || part == u"label")
                googleTypes.insert(ordinal, i);
        } else if (kGroups.contains(name)) {
            layout.groups += GroupColumn{.index = i, .style = kGroups.value(name)};
        } else if (name == u"подпись") {
            setOnce(layout.signature, i);
        } else if (name == u"отправитель") {
            setOnce(layout.sender, i);
        } else if (name == u"транслит") {
            setOnce(layout.translit, i);
        }
    }

    for (PhoneColumn& phone : layout.phones) {
        QString ordinal;
        QString part;
        if (phone.google && splitGooglePhone(names[phone.value], &ordinal, &part))
            phone.type = googleTypes.value(ordinal, -1);
    }
    return layout;
}

QString nameOf(const Layout& layout, const CsvText::Record& row) {
    // A quoted name keeps its spaces, so that our own export reads back as it was.
    for (const qsizetype column : layout.wholeName) {
        const QString name = row.field(column);
        if (!name.isEmpty())
            return name;
    }
    QStringList parts;
    for (const qsizetype column : {layout.firstName, layout.middleName, layout.lastName}) {
        const QString part = row.field(column).trimmed();
        if (!part.isEmpty())
            parts += part;
    }
    return parts.join(u' ');
}

QString numberOf(const Layout& layout, const CsvText::Record& row) {
    QString firstNumber;
    for (const PhoneColumn& column : layout.phones) {
        const QString number = phoneCell(column, row);
        if (number.isEmpty())
            continue;
        if (column.mobile || (column.type >= 0 && isMobileType(row.field(column.type))))
            return number;
        if (firstNumber.isEmpty())
            firstNumber = number;
    }
    return firstNumber;
}

QString groupOf(const Layout& layout, const CsvText::Record& row) {
    for (const GroupColumn& column : layout.groups) {
        const QString group = groupCell(column, row);
        if (!group.isEmpty())
            return group;
    }
    return {};
}

} // namespace CsvColumns
