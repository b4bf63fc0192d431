// skinpaint SKINS_DIR [PREVIEW_DIR]
//
// Draws the pictures and Config.cfg of the shipped skins into SKINS_DIR/<skin>/, and with
// PREVIEW_DIR an enlarged PNG of each sprite sheet and header picture to look at.

#include "SkinPainter.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>

#include <cstdio>

namespace {

SkinPalette defaultPalette() {
    return {QStringLiteral("Default"), QColor(0xd3, 0xec, 0xce), QColor(0xf0, 0xf9, 0xee),
            QColor(0x2c, 0x55, 0xb1),  QColor(0x00, 0x00, 0x00), QColor(0x4c, 0xa8, 0x6a),
            QColor(0x2a, 0x7a, 0x48),  QColor(0xc4, 0xe8, 0xcd), QColor(0xf7, 0xfc, 0xf6)};
}

SkinPalette oceanPalette() {
    return {QStringLiteral("Ocean"),  QColor(0xcd, 0xe2, 0xf5), QColor(0xf0, 0xf7, 0xfd),
            QColor(0x14, 0x5a, 0xa0), QColor(0x1e, 0x2a, 0x3c), QColor(0x3a, 0x86, 0xc8),
            QColor(0x1f, 0x5a, 0x96), QColor(0xc2, 0xdc, 0xf4), QColor(0xf5, 0xfa, 0xfe)};
}

// Everything of one skin on one enlarged page: sheet, strip, toolbar, banner, header pictures.
QImage preview(const SkinPainter& painter) {
    const int zoom = 4;
    const QImage sheet = painter.spriteSheet();
    QImage page(sheet.width() * zoom + 40, 1040, QImage::Format_RGB32);
    page.fill(QColor(0x80, 0x80, 0x80));
    QPainter p(&page);
    p.drawImage(QRect(20, 20, sheet.width() * zoom, sheet.height() * zoom), sheet);
    int y = 40 + sheet.height() * zoom;
    // The sheet again as the lists show it: red cut away, on the window colour.
    QImage masked = sheet.convertToFormat(QImage::Format_ARGB32);
    for (int my = 0; my < masked.height(); ++my)
        for (int mx = 0; mx < masked.width(); ++mx)
            if (masked.pixel(mx, my) == qRgb(255, 0, 0))
                masked.setPixel(mx, my, 0);
    p.fillRect(QRect(20, y, sheet.width() * zoom, sheet.height() * zoom), painter.palette().main);
    p.drawImage(QRect(20, y, sheet.width() * zoom, sheet.height() * zoom), masked);
    y += 20 + sheet.height() * zoom;
    // The toolbar as the main window shows it: buttons on the panel, red cut away.
    const QImage panel = painter.toolbar();
    QImage bar = panel.scaled(200, 33).convertToFormat(QImage::Format_ARGB32);
    {
        QPainter b(&bar);
        for (int i = 0; i < 8; ++i) {
            const int state = i == 3 ? 1 : (i == 4 ? 2 : 0);
            QImage button =
                sheet.copy(i * 22, state * 22, 22, 22).convertToFormat(QImage::Format_ARGB32);
            for (int by = 0; by < 22; ++by)
                for (int bx = 0; bx < 22; ++bx)
                    if (button.pixel(bx, by) == qRgb(255, 0, 0))
                        button.setPixel(bx, by, 0);
            b.drawImage(3 + i * 24, 5, button);
        }
    }
    p.drawImage(QRect(20, y, 200 * zoom, 25 * zoom), painter.strip());
    y += 25 * zoom;
    p.drawImage(QRect(20, y, 200 * zoom, 33 * zoom), bar);
    y += 33 * zoom + 20;
    p.drawImage(QRect(20, y, 480 * 2, 56 * 2), painter.banner());
    for (int n = 6; n <= 14; ++n)
        p.drawImage(QRect(20 + 12 + (n - 6) * 72, y + 12, 64, 64), painter.headerPicture(n));
    return page;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fputs("usage: skinpaint SKINS_DIR [PREVIEW_DIR]\n", stderr);
        return 2;
    }
    for (const SkinPalette& palette : {defaultPalette(), oceanPalette()}) {
        const SkinPainter painter(palette);
        if (!painter.writeAll(args[1] + QLatin1Char('/') + palette.folder))
            return 1;
        if (args.size() == 3) {
            QDir().mkpath(args[2]);
            preview(painter).save(args[2] + QLatin1Char('/') + palette.folder +
                                  QStringLiteral(".png"));
        }
    }
    return 0;
}
