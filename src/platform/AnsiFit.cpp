#include "AnsiFit.h"

#include "platform/Ansi.h"

namespace Ansi {

QString nearest(const QString& text) {
    return representable(text);
}

} // namespace Ansi
