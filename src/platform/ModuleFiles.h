#pragma once

#include <QString>

// The program's modules, loaded at first use so that starting never pays for them.
namespace ModuleFiles {

// The module file found beside the program (bin/../lib.../varnelo), in the build tree or
// under the install prefix; empty when there is none.
QString path(const QString& fileName);

} // namespace ModuleFiles
