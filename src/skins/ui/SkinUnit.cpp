#include "SkinUnit.h"

#include "platform/ui/Prompts.h"
#include "skins/SkinLoader.h"
#include "skins/SkinReader.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QImageReader>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// What reads as normal text: the ratio asked of body text by accessibility guidelines.
constexpr double kReadableContrast = 4.5;

double luminance(const QColor& color) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}

QColor blend(const QColor& a, const QColor& b, double share) {
    return QColor::fromRgbF(float(a.redF() * share + b.redF() * (1 - share)),
                            float(a.greenF() * share + b.greenF() * (1 - share)),
                            float(a.blueF() * share + b.blueF() * (1 - share)));
}

// The text roles of one surface; disabled text fades towards the background but stays legible.
void setTextRoles(QPalette& palette, const QColor& background, const QColor& text) {
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) {
        palette.setColor(role, text);
        palette.setColor(QPalette::Disabled, role, blend(text, background, 0.6));
    }
    palette.setColor(QPalette::PlaceholderText, blend(text, background, 0.6));
}

} // namespace

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

double SkinUnit::contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor SkinUnit::readableOn(const QColor& background, const QColor& wanted) {
    if (wanted.isValid() && contrast(background, wanted) >= kReadableContrast)
        return wanted;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrast(background, black) >= contrast(background, white) ? black : white;
}

void SkinUnit::setBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::AlternateBase, color.darker(104));
    // The desktop's own text colour where it reads; a dark desktop's white does not on a
    // pale skin.
    setTextRoles(palette, color, readableOn(color, palette.color(QPalette::Text)));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SkinUnit::setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

void SkinUnit::dressFlatControls(QWidget* window) const {
    const QColor field = Other();
    const QColor mark = readableOn(field, InfoText());
    const QColor flatText = readableOn(Main(), QColor(Qt::black));
    for (QAbstractButton* box : window->findChildren<QAbstractButton*>()) {
        const auto* tool = qobject_cast<QToolButton*>(box);
        const auto* push = qobject_cast<QPushButton*>(box);
        if ((tool && tool->autoRaise()) || (push && push->isFlat())) {
            QPalette palette = box->palette();
            palette.setColor(QPalette::ButtonText, flatText);
            box->setPalette(palette);
            continue;
        }
        if (!qobject_cast<QCheckBox*>(box) && !qobject_cast<QRadioButton*>(box))
            continue;
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, field);
        palette.setColor(QPalette::Text, mark);
        palette.setColor(QPalette::Disabled, QPalette::Base, field.darker(108));
        box->setPalette(palette);
    }
}

void SkinUnit::showPicture(QLabel* label, const QImage& image) {
    if (label)
        label->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

void SkinUnit::dress(QWidget* window, const SkinnedWindow& parts) const {
    // Only the window's own surface and the texts drawn straight on it: edits, lists and
    // buttons keep the desktop's colours whole unless named.
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Main());
    // The skin names no colour for plain texts: black on its light backgrounds.
    const QColor text = readableOn(Main(), QColor(Qt::black));
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, blend(text, Main(), 0.6));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    dressFlatControls(window);
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
