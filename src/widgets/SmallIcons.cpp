#include "SmallIcons.h"

#include "skins/ui/SkinUnit.h"

#include <QPixmap>

QIcon skinGlyph(int index) {
    const QImage image = SkinUnit::active().sprites().smallIcon(index);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}
