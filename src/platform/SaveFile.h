#pragma once

#include <QByteArray>
#include <QString>

// Who may read a file the program writes. Its own files hold messages, numbers and account
// data: only the user. A file the user saves somewhere through a save prompt is theirs to
// share, and gets the ordinary mode of their creation mask.
enum class FileAccess { Private, Ordinary };

// Whole-file rewrites: the new content replaces the old atomically, or the old stays. A
// private file is mode 0600 whatever the mode of the file it replaces; an ordinary one keeps
// the mode of the file it replaces. Returns an empty string on success, else a readable error.
QString saveFileAtomically(const QString& path, const QByteArray& content,
                           FileAccess access = FileAccess::Private);

// Copies `from` byte for byte to `to`, a private file made anew: an existing file (or link)
// at `to` is never written over. The copy is on the disk when this returns; on failure
// nothing is left at `to`. Returns an empty string on success, else a readable error.
QString copyToNewFile(const QString& from, const QString& to);
