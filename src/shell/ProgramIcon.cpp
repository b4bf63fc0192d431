#include "ProgramIcon.h"

namespace ProgramIcon {

QIcon icon() {
    QIcon result;
    for (const int size : {16, 32, 48, 64, 128, 256})
        result.addFile(QStringLiteral(":/icons/varnelo-%1.png").arg(size), QSize(size, size));
    return result;
}

} // namespace ProgramIcon
