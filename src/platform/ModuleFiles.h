#pragma once

#include <QString>

// The program's modules, loaded at first use so that starting never pays for them.
namespace ModuleFiles {

// The module file found beside the program (bin/../lib.../varnelo), in the build tree or
// under the install prefix; empty when there is none.
QString path(const QString& fileName);

// Loads the module for the rest of the run and returns the function of that name; nothing,
// with `error` set, when the module is missing or has no such function.
void* load(const QString& fileName, const char* symbol, QString* error);

} // namespace ModuleFiles
