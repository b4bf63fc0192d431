#include "ProgramIcon.h"

namespace ProgramIcon {

QIcon icon(int largest) {
    QIcon result;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        if (size <= largest)
            result.addFile(QStringLiteral(":/icons/varnelo-%1.png").arg(size), QSize(size, size));
    }
    return result;
}

} // namespace ProgramIcon
