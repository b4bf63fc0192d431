#include "SkinUnit.h"

#include "platform/ui/Prompts.h"
#include "skins/SkinLoader.h"
#include "skins/SkinReader.h"

#include <QImageReader>
#include <QLabel>
#include <QPalette>
#include <QWidget>

SkinUnit& SkinUnit::active() {
    static SkinUnit instance;
    return instance;
}

QString SkinUnit::errorText(const SkinError& error) {
    switch (error.kind) {
    case SkinError::Kind::None:
        return {};
    case SkinError::Kind::NotFound:
        return QStringLiteral("Файл ") + error.path + QStringLiteral(" не найден!!!");
    case SkinError::Kind::BadFormat:
        return QStringLiteral("Неверный формат файла ") + error.path + QStringLiteral("!!!");
    case SkinError::Kind::BadVersion:
        return QStringLiteral("Версия файла ") + error.path +
               QStringLiteral(" не поддерживается!!!");
    case SkinError::Kind::ReadError:
        break;
    }
    return QStringLiteral("Ошибка при чтении файла ") + error.path + QStringLiteral("!!!");
}

bool SkinUnit::loadActiveSkin(Registry& store) {
    const SkinLoader::Result result = SkinLoader::loadActive(store);
    if (result.error.failed()) {
        Prompts::message(nullptr, errorText(result.error), errorCaption(), QMessageBox::Critical,
                         QMessageBox::Cancel);
        return false;
    }
    m_displayName = result.displayName;
    m_workFolder = result.workFolder;
    m_colors = result.colors;
    m_sheet = picture(QStringLiteral("1.bmp"));
    m_sprites = SkinSprites(m_sheet);
    m_loaded = true;
    return true;
}

QImage SkinUnit::picture(const QString& fileName) const {
    if (m_workFolder.isEmpty() || !SkinReader::isSafeEntryName(fileName))
        return {};
    // Skin pictures are always bitmaps; naming the format keeps Qt from loading every
    // image plugin to ask it, which costs the start several milliseconds.
    QImageReader reader(m_workFolder + fileName, QByteArrayLiteral("bmp"));
    reader.setAutoDetectImageFormat(false);
    // A hostile header must not make us allocate gigabytes.
    reader.setAllocationLimit(64);
    return reader.read();
}

QColor SkinUnit::fromWindowsColor(quint32 value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

void SkinUnit::setBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Base, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SkinUnit::setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

void SkinUnit::showPicture(QLabel* label, const QImage& image) {
    if (label)
        label->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

void SkinUnit::dress(QWidget* window, const SkinnedWindow& parts) const {
    // Only the window's own surface: edits and lists keep their field colour unless named.
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Main());
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    for (QWidget* widget : parts.otherBackground)
        setBackground(widget, Other());
    for (QWidget* widget : parts.captions)
        setTextColor(widget, CaptionText());
    for (QWidget* widget : parts.infoLabels)
        setTextColor(widget, InfoText());
    if (parts.banner) {
        parts.banner->setScaledContents(true);
        showPicture(parts.banner, picture(QStringLiteral("5.bmp")));
    }
    if (parts.picture && !parts.pictureFile.isEmpty())
        showPicture(parts.picture, picture(parts.pictureFile));
}
