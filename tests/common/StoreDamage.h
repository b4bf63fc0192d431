#pragma once

#include <QString>

// Spoils a settings store file from outside, as another program or a failing disk would,
// while the program under test still has it open: its next use fails.
namespace StoreDamage {

enum class Kind {
    TablesDropped, // another writer removed the store's tables
    Corrupted,     // the file's table of contents points at pages that are not there
};
inline constexpr Kind kAllKinds[] = {Kind::TablesDropped, Kind::Corrupted};

// False when the damage could not be done.
bool apply(Kind kind, const QString& storePath);

QString name(Kind kind);

// Runs `sql` through a connection of its own, as another program would.
bool execute(const QString& storePath, const char* sql);

// Whether `text` starts with what the user is told when that store fails: the store's own
// sentence, which names its file.
bool isReported(const QString& text, const QString& storePath);

} // namespace StoreDamage
