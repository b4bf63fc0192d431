#pragma once

#include "cli/CliContext.h"

#include <QStringList>

// varnelo-cli contacts import FILE [--group NAME] [--all-numbers]: the contacts of a vCard or
// CSV file into the book, in one save.
namespace ContactsImport {

inline const QString kHelp =
    QStringLiteral("       varnelo-cli contacts import FILE [--group NAME] [--all-numbers]\n");
inline const QString kHelpDetails = QStringLiteral(
    "import adds the contacts of FILE to the book: vCard 2.1, 3.0 or 4.0, or CSV with a\n"
    "  header row (UTF-8, UTF-16 or code page 1251; comma, semicolon or TAB). Numbers are\n"
    "  brought to the international form, read as Russian when they have no country code.\n"
    "  A contact goes into the group its file names, else into --group NAME, else into\n"
    "  \"Без группы\"; one whose number already stands in that group is a duplicate, one\n"
    "  whose number came earlier in the file in that group is repeated; both are skipped.\n"
    "  Of a card's numbers the first valid one is taken, mobile ones first; with\n"
    "  --all-numbers each further one is a contact of its own, \"Name (рабочий)\" and so on.\n"
    "  Rows without a valid number or with an unclosed quote are listed on stderr, and so\n"
    "  are names stored otherwise because the book cannot hold their letters. Prints\n"
    "  imported N, duplicates D, repeated in file R, invalid I\n"
    "  and exits 0 when the file was read, 1 when it is no vCard or contact CSV file.\n");

// `arguments` are those after "import".
int run(const QStringList& arguments, const CliContext::OpenStore& openStore);

} // namespace ContactsImport
