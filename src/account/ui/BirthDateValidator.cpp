#include "BirthDateValidator.h"

#include <QStringList>

#include <optional>

namespace {

const QString kFormat = QStringLiteral("dd.MM.yyyy");
constexpr qsizetype kPairDigits = 2;
constexpr qsizetype kYearDigits = 4;
constexpr int kLastDay = 31;
constexpr int kLastMonth = 12;

// The day, month and year as typed so far, and how many dots stand between them.
struct Sections {
    QString day;
    QString month;
    QString year;
    int dots = 0;

    QString text() const {
        QString shown = day;
        if (dots >= 1)
            shown += QLatin1Char('.') + month;
        if (dots >= 2)
            shown += QLatin1Char('.') + year;
        return shown;
    }
};

// A day or month: two digits at most, in range once it has them or once a dot closes it.
bool pairFits(const QString& digits, bool closed, int highest) {
    if (digits.size() > kPairDigits)
        return false;
    if (digits.size() < kPairDigits && !(closed && !digits.isEmpty()))
        return true;
    const int value = digits.toInt();
    return value >= 1 && value <= highest;
}

bool fits(const Sections& sections) {
    return pairFits(sections.day, sections.dots >= 1, kLastDay) &&
           pairFits(sections.month, sections.dots >= 2, kLastMonth) &&
           sections.year.size() <= kYearDigits;
}

// The sections of a text that a date may still be typed from; nothing for any other text.
std::optional<Sections> sectionsOf(const QString& text) {
    for (const QChar c : text) {
        if (c != QLatin1Char('.') && (c < QLatin1Char('0') || c > QLatin1Char('9')))
            return std::nullopt;
    }
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() <= 3) {
        const Sections typed{parts[0], parts.value(1), parts.value(2), int(parts.size()) - 1};
        if (fits(typed))
            return typed;
    }
    // Digits without dots are read by place: two for the day, two for the month, four for
    // the year.
    QString digits = text;
    digits.remove(QLatin1Char('.'));
    if (digits.size() > 2 * kPairDigits + kYearDigits)
        return std::nullopt;
    const Sections placed{digits.left(kPairDigits), digits.mid(kPairDigits, kPairDigits),
                          digits.mid(2 * kPairDigits),
                          digits.size() > 2 * kPairDigits ? 2 : digits.size() > kPairDigits};
    if (fits(placed))
        return placed;
    return std::nullopt;
}

// Where the cursor goes in a text rewritten around it: after as many digits as before it.
int cursorAfterSameDigits(const QString& before, int pos, const QString& after) {
    if (pos >= before.size())
        return int(after.size());
    int digits = 0;
    for (int i = 0; i < pos; ++i)
        digits += before.at(i).isDigit() ? 1 : 0;
    int at = 0;
    while (at < after.size() && digits > 0)
        digits -= after.at(at++).isDigit() ? 1 : 0;
    return at;
}

} // namespace

BirthDateValidator::BirthDateValidator(QObject* parent)
    : QValidator(parent) {
}

QDate BirthDateValidator::earliest() {
    return QDate(1900, 1, 1);
}

QString BirthDateValidator::textOf(const QDate& date) {
    return date.toString(kFormat);
}

QDate BirthDateValidator::dateOf(const QString& text) {
    const std::optional<Sections> sections = sectionsOf(text);
    if (!sections || sections->year.size() != kYearDigits || sections->day.isEmpty() ||
        sections->month.isEmpty())
        return {};
    const QDate date(sections->year.toInt(), sections->month.toInt(), sections->day.toInt());
    if (!date.isValid() || date < earliest() || date > QDate::currentDate())
        return {};
    return date;
}

QValidator::State BirthDateValidator::validate(QString& input, int& pos) const {
    const std::optional<Sections> sections = sectionsOf(input);
    if (!sections)
        return Invalid;
    const QDate date = dateOf(input);
    // Shown in one form: the dots in place, and a whole date as ДД.ММ.ГГГГ.
    const QString shown = date.isValid() ? textOf(date) : sections->text();
    if (shown != input) {
        pos = cursorAfterSameDigits(input, pos, shown);
        input = shown;
    }
    return date.isValid() ? Acceptable : Intermediate;
}
