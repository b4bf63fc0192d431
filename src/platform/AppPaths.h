#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files. The installed program's own folder is read-only here,
// so the per-user data folder stands in for it.
namespace AppPaths {

// Per-user data folder, ending in "/": History.dat, Templates.dat, Vouchers.txt, Contacts.dat
// and the user's own skins. Created on first use, mode 0700.
QString dataFolder();

// The settings store file (the registry stand-in), in the per-user config folder, which is
// created (mode 0700) when missing.
QString registryFile();

// For a profile made by an earlier version or under a looser creation mask: the data,
// config and working folders become mode 0700, and the files the program writes in them
// (data files, settings store, their lock files and the copies of damaged files) lose every
// group and other bit. Files of the user's own in those folders are left alone. At start.
void makeOwnFilesPrivate();

// The installed share folder (skins, user guide): next to the program (bin/../share/varnelo)
// when that exists, else the build tree's or the install prefix's.
QString shareFolder();

// Folders searched for skin files, in order: the user's data folder, then the share folder.
QStringList skinFolders();

// The full path of a skin file named by the settings (file name only). Names holding a path
// separator or ".." are never looked up. When no folder holds the file, the path it would
// have in the user's data folder (separators in a hostile name flattened to "_").
QString skinFile(const QString& fileName);

// Private working folder for unpacked skin files, ending in "/": mode 0700, under
// $XDG_RUNTIME_DIR or the user's cache folder. Empty when it cannot be made safe.
QString skinWorkFolder();

} // namespace AppPaths
