#include "SkinPainter.h"

#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <cstdio>

namespace {

// Colours of meaning, the same in every skin.
const QColor kBlue(0x2f, 0x6f, 0xd0);
const QColor kTeal(0x1f, 0x9e, 0x8f);
const QColor kGreen(0x2e, 0x9d, 0x3a);
const QColor kRed(0xd6, 0x45, 0x41);
const QColor kGold(0xe8, 0xb3, 0x2e);
const QColor kGrey(0x6b, 0x72, 0x80);
const QColor kInk(0x2b, 0x33, 0x40);
const QColor kPaper(0xfb, 0xfc, 0xfd);

QColor darker(const QColor& c, int percent = 145) {
    return c.darker(percent);
}

QColor lighter(const QColor& c, int percent = 140) {
    return c.lighter(percent);
}

QLinearGradient vertical(double top, double bottom, const QColor& from, const QColor& to) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    return g;
}

// A shape filled top-light to bottom-dark with a darker outline: the look of every icon.
void shaded(QPainter& p, const QPainterPath& path, const QColor& color, double top = 0,
            double bottom = 16, double outline = 1.0) {
    p.setPen(QPen(darker(color, 160), outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(vertical(top, bottom, lighter(color, 135), color));
    p.drawPath(path);
}

QPainterPath circle(double x, double y, double r) {
    QPainterPath path;
    path.addEllipse(QPointF(x, y), r, r);
    return path;
}

QPainterPath roundRect(double x, double y, double w, double h, double r) {
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), r, r);
    return path;
}

// A stroke with a dark rim under it, so thin marks stay readable on any background.
void boldLine(QPainter& p, const QPainterPath& path, const QColor& color, double width) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(darker(color, 170), width + 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

void whiteLine(QPainter& p, const QPainterPath& path, double width) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

QPainterPath cross(double cx, double cy, double half) {
    QPainterPath path;
    path.moveTo(cx - half, cy - half);
    path.lineTo(cx + half, cy + half);
    path.moveTo(cx + half, cy - half);
    path.lineTo(cx - half, cy + half);
    return path;
}

QPainterPath plus(double cx, double cy, double half) {
    QPainterPath path;
    path.moveTo(cx - half, cy);
    path.lineTo(cx + half, cy);
    path.moveTo(cx, cy - half);
    path.lineTo(cx, cy + half);
    return path;
}

// A round badge in the lower right corner, ringed in white to stand off the picture.
void badge(QPainter& p, const QColor& color, double cx = 11.8, double cy = 11.8, double r = 4.0) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(circle(cx, cy, r + 0.9));
    shaded(p, circle(cx, cy, r), color, cy - r, cy + r, 0.8);
}

void person(QPainter& p, const QColor& color, double dx = 0, double dy = 0, double scale = 1) {
    p.save();
    p.translate(dx, dy);
    p.scale(scale, scale);
    QPainterPath body;
    body.moveTo(2.2, 15.3);
    body.cubicTo(2.2, 10.6, 4.8, 9.2, 8, 9.2);
    body.cubicTo(11.2, 9.2, 13.8, 10.6, 13.8, 15.3);
    body.closeSubpath();
    shaded(p, body, color, 9, 16);
    shaded(p, circle(8, 5.1, 3.4), QColor(0xf3, 0xc6, 0x9c), 1.7, 8.5);
    p.restore();
}

QPainterPath gearPath(double cx, double cy, double outer, double inner, double hole) {
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const double angle = (i - 0.5) * M_PI * 2 / (teeth * 4);
        const double r = (i % 4 == 0 || i % 4 == 1) ? outer : inner;
        const QPointF point(cx + r * std::cos(angle), cy + r * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    path.addEllipse(QPointF(cx, cy), hole, hole);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

void clockFace(QPainter& p, double cx, double cy, double r) {
    shaded(p, circle(cx, cy, r), kBlue, cy - r, cy + r);
    p.setPen(QPen(darker(kBlue), 0.6));
    p.setBrush(kPaper);
    p.drawPath(circle(cx, cy, r - 1.4));
    p.setPen(QPen(kInk, 0.7, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i) {
        const double a = i * M_PI / 2;
        p.drawLine(QPointF(cx + (r - 2.4) * std::cos(a), cy + (r - 2.4) * std::sin(a)),
                   QPointF(cx + (r - 2.0) * std::cos(a), cy + (r - 2.0) * std::sin(a)));
    }
    QPainterPath hands;
    hands.moveTo(cx, cy - (r - 2.8));
    hands.lineTo(cx, cy);
    hands.lineTo(cx + (r - 3.4), cy + (r - 4.6) * 0.6);
    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hands);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawPath(circle(cx, cy, 0.9));
}

void envelope(QPainter& p, double x, double y, double w, double h) {
    QPainterPath body = roundRect(x, y, w, h, 1.2);
    p.setPen(QPen(kGrey, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(vertical(y, y + h, Qt::white, QColor(0xe4, 0xe9, 0xf0)));
    p.drawPath(body);
    QPainterPath flap;
    flap.moveTo(x + 0.8, y + 0.9);
    flap.lineTo(x + w / 2, y + h * 0.58);
    flap.lineTo(x + w - 0.8, y + 0.9);
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);
}

void pencil(QPainter& p, double cx, double cy, double length, double width) {
    p.save();
    p.translate(cx, cy);
    p.rotate(-45);
    const double half = length / 2;
    const double w = width / 2;
    QPainterPath body;
    body.addRect(QRectF(-half + width * 0.9, -w, length - width * 1.9, width));
    p.setPen(QPen(QColor(0x9a, 0x6b, 0x12), 0.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient g(0, -w, 0, w);
    g.setColorAt(0, QColor(0xff, 0xe0, 0x7a));
    g.setColorAt(1, QColor(0xf0, 0xa8, 0x20));
    p.setBrush(g);
    p.drawPath(body);
    QPainterPath eraser;
    eraser.addRoundedRect(QRectF(half - width, -w, width, width), 0.6, 0.6);
    p.setBrush(QColor(0xf2, 0x8b, 0xa0));
    p.setPen(QPen(QColor(0xa8, 0x4a, 0x5c), 0.7));
    p.drawPath(eraser);
    QPainterPath tip;
    tip.moveTo(-half + width * 0.9, -w);
    tip.lineTo(-half, 0);
    tip.lineTo(-half + width * 0.9, w);
    tip.closeSubpath();
    p.setBrush(QColor(0xf5, 0xde, 0xb3));
    p.setPen(QPen(QColor(0x9a, 0x6b, 0x12), 0.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tip);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    QPainterPath lead;
    lead.moveTo(-half + width * 0.35, -w * 0.4);
    lead.lineTo(-half, 0);
    lead.lineTo(-half + width * 0.35, w * 0.4);
    lead.closeSubpath();
    p.drawPath(lead);
    p.restore();
}

QPainterPath cloudPath() {
    QPainterPath cloud = circle(5.2, 9.6, 3.0);
    cloud = cloud.united(circle(9.0, 7.4, 3.9));
    cloud = cloud.united(circle(12.3, 10.3, 2.6));
    QPainterPath base;
    base.addRoundedRect(QRectF(2.2, 9.6, 12.6, 3.3), 1.6, 1.6);
    return cloud.united(base);
}

void arrow(QPainter& p, double cx, double top, double bottom, bool up, const QColor& color) {
    const double head = up ? top : bottom;
    const double tail = up ? bottom : top;
    const double dir = up ? 1 : -1;
    QPainterPath path;
    path.moveTo(cx - 1.2, tail);
    path.lineTo(cx - 1.2, head + dir * 2.6);
    path.lineTo(cx - 3.2, head + dir * 2.6);
    path.lineTo(cx, head);
    path.lineTo(cx + 3.2, head + dir * 2.6);
    path.lineTo(cx + 1.2, head + dir * 2.6);
    path.lineTo(cx + 1.2, tail);
    path.closeSubpath();
    shaded(p, path, color, std::min(top, bottom), std::max(top, bottom), 0.8);
}

void cloud(QPainter& p, bool upload) {
    p.setPen(QPen(darker(kBlue, 120), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(vertical(3, 13, Qt::white, QColor(0xc9, 0xdc, 0xf5)));
    p.drawPath(cloudPath().translated(0, -1.5));
    arrow(p, 9.5, 7.5, 15.4, upload, upload ? kGreen : kBlue);
}

void textGlyph(QPainter& p, const QString& text, const QRectF& box, const QColor& color,
               double size) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    const double scale = size / bounds.height();
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(scale, scale);
    t.translate(-bounds.center().x(), -bounds.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(t.map(path));
}

// --- the designs, each in a 16 x 16 box ---

void glyphGroup(QPainter& p) {
    person(p, kTeal, 4.6, -0.6, 0.78);
    person(p, kBlue, -1.6, 1.4, 0.86);
}

void glyphContact(QPainter& p) {
    person(p, kBlue);
}

void glyphSend(QPainter& p) {
    envelope(p, 0.8, 2.6, 12.6, 9.2);
    badge(p, kGreen, 11.8, 11.8, 3.9);
    QPainterPath a;
    a.moveTo(9.9, 11.8);
    a.lineTo(13.6, 11.8);
    a.moveTo(12.1, 10.1);
    a.lineTo(13.8, 11.8);
    a.lineTo(12.1, 13.5);
    whiteLine(p, a, 1.3);
}

void glyphClose(QPainter& p) {
    shaded(p, circle(8, 8, 7.0), kRed, 1, 15);
    whiteLine(p, cross(8, 8, 3.0), 2.0);
}

void glyphAbout(QPainter& p) {
    shaded(p, circle(8, 8, 7.0), kBlue, 1, 15);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(circle(8, 4.6, 1.3));
    QPainterPath bar;
    bar.addRoundedRect(QRectF(6.9, 6.7, 2.2, 6.0), 0.6, 0.6);
    p.drawPath(bar);
}

void glyphSettings(QPainter& p) {
    shaded(p, gearPath(8, 8, 7.4, 5.4, 2.3), kGrey, 0.6, 15.4);
}

void glyphEdit(QPainter& p) {
    pencil(p, 8, 8, 15.5, 4.4);
}

void glyphDelete(QPainter& p) {
    QPainterPath can;
    can.moveTo(3.3, 4.8);
    can.lineTo(12.7, 4.8);
    can.lineTo(11.8, 15.2);
    can.lineTo(4.2, 15.2);
    can.closeSubpath();
    shaded(p, can, QColor(0x8d, 0x96, 0xa3), 4.8, 15.2);
    p.setPen(QPen(QColor(0x4b, 0x52, 0x5e), 0.8, Qt::SolidLine, Qt::RoundCap));
    for (double x : {6.1, 8.0, 9.9})
        p.drawLine(QPointF(x, 6.8), QPointF(x, 13.4));
    shaded(p, roundRect(1.8, 2.6, 12.4, 2.2, 0.8), QColor(0x8d, 0x96, 0xa3), 2.6, 4.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x4b, 0x52, 0x5e), 1.0));
    p.drawRoundedRect(QRectF(6.0, 0.9, 4.0, 1.9), 0.6, 0.6);
}

void glyphAddContact(QPainter& p) {
    person(p, kBlue, -1.2, 0);
    badge(p, kGreen);
    whiteLine(p, plus(11.8, 11.8, 2.2), 1.5);
}

void glyphHelp(QPainter& p) {
    shaded(p, circle(8, 8, 7.0), kTeal, 1, 15);
    textGlyph(p, QStringLiteral("?"), QRectF(1, 1.2, 14, 14), Qt::white, 9.4);
}

void glyphConnection(QPainter& p) {
    shaded(p, circle(8, 8, 7.0), QColor(0x2a, 0x8c, 0xc4), 1, 15);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 210), 0.8));
    p.drawEllipse(QPointF(8, 8), 3.0, 6.6);
    p.drawLine(QPointF(8, 1.4), QPointF(8, 14.6));
    p.drawLine(QPointF(1.4, 8), QPointF(14.6, 8));
    p.drawLine(QPointF(2.6, 4.6), QPointF(13.4, 4.6));
    p.drawLine(QPointF(2.6, 11.4), QPointF(13.4, 11.4));
}

void glyphKey(QPainter& p) {
    p.save();
    p.translate(8, 8);
    p.rotate(45);
    QPainterPath key;
    key.addEllipse(QPointF(-4.0, 0), 3.6, 3.6);
    key.addRoundedRect(QRectF(-1.0, -1.3, 9.4, 2.6), 0.6, 0.6);
    key.addRect(QRectF(4.2, 1.0, 1.6, 2.4));
    key.addRect(QRectF(6.6, 1.0, 1.6, 3.0));
    key = key.simplified();
    key.addEllipse(QPointF(-4.9, 0), 1.2, 1.2);
    key.setFillRule(Qt::OddEvenFill);
    shaded(p, key, kGold, -4, 4);
    p.restore();
}

void glyphRefresh(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    for (int half = 0; half < 2; ++half) {
        p.save();
        p.translate(8, 8);
        p.rotate(half * 180);
        QPainterPath arc;
        arc.arcMoveTo(QRectF(-5.4, -5.4, 10.8, 10.8), 200);
        arc.arcTo(QRectF(-5.4, -5.4, 10.8, 10.8), 200, -130);
        boldLine(p, arc, kGreen, 1.8);
        const QPointF end = arc.currentPosition();
        QPainterPath head;
        head.moveTo(end + QPointF(-3.0, -1.6));
        head.lineTo(end + QPointF(1.3, -1.4));
        head.lineTo(end + QPointF(-0.6, 2.6));
        head.closeSubpath();
        shaded(p, head, kGreen, end.y() - 2, end.y() + 2, 0.7);
        p.restore();
    }
}

void glyphOk(QPainter& p) {
    QPainterPath check;
    check.moveTo(2.4, 8.6);
    check.lineTo(6.3, 12.4);
    check.lineTo(13.6, 3.8);
    boldLine(p, check, kGreen, 2.6);
}

void glyphCancel(QPainter& p) {
    boldLine(p, cross(8, 8, 4.6), kRed, 2.6);
}

void glyphCalendar(QPainter& p) {
    shaded(p, roundRect(1.6, 2.6, 12.8, 12.4, 1.4), QColor(0xe6, 0xea, 0xef), 2.6, 15);
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(2.6, 6, lighter(kRed, 120), kRed));
    QPainterPath band;
    band.addRoundedRect(QRectF(1.6, 2.6, 12.8, 3.6), 1.4, 1.4);
    band.addRect(QRectF(1.6, 4.6, 12.8, 1.6));
    p.drawPath(band.simplified());
    p.setBrush(kInk);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            p.drawRect(QRectF(3.4 + column * 2.6, 7.6 + row * 2.3, 1.5, 1.3));
    p.setBrush(kGrey);
    p.drawRoundedRect(QRectF(4.2, 1.0, 1.4, 3.0), 0.5, 0.5);
    p.drawRoundedRect(QRectF(10.4, 1.0, 1.4, 3.0), 0.5, 0.5);
}

void glyphPayment(QPainter& p) {
    shaded(p, roundRect(0.8, 2.4, 13.6, 9.0, 1.4), QColor(0x3f, 0x67, 0xa8), 2.4, 11.4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x2f, 0x4f));
    p.drawRect(QRectF(1.2, 4.4, 12.8, 1.8));
    shaded(p, roundRect(2.6, 7.4, 3.2, 2.4, 0.5), kGold, 7.4, 9.8, 0.5);
    shaded(p, circle(11.8, 11.8, 3.6), kGold, 8.2, 15.4);
    p.setPen(QPen(darker(kGold, 150), 0.7));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(11.8, 11.8), 2.2, 2.2);
}

void glyphSaveToServer(QPainter& p) {
    cloud(p, true);
}

void glyphLoadFromServer(QPainter& p) {
    cloud(p, false);
}

void glyphHistory(QPainter& p) {
    clockFace(p, 8, 8, 7.2);
}

void glyphTemplates(QPainter& p) {
    QPainterPath page;
    page.moveTo(2.4, 0.8);
    page.lineTo(10.4, 0.8);
    page.lineTo(13.6, 4.0);
    page.lineTo(13.6, 15.2);
    page.lineTo(2.4, 15.2);
    page.closeSubpath();
    p.setPen(QPen(kGrey, 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(vertical(0.8, 15.2, QColor(0xff, 0xf8, 0xd6), QColor(0xf6, 0xe3, 0x9a)));
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(10.4, 0.8);
    fold.lineTo(10.4, 4.0);
    fold.lineTo(13.6, 4.0);
    p.setBrush(QColor(0xe8, 0xcf, 0x74));
    p.drawPath(fold);
    p.setPen(QPen(QColor(0x8a, 0x7a, 0x4a), 0.8, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(4.4, 6.2 + i * 2.3), QPointF(i == 3 ? 8.6 : 11.6, 6.2 + i * 2.3));
}

void glyphEditContact(QPainter& p) {
    person(p, kBlue, -1.4, 0);
    pencil(p, 11.2, 10.6, 9.6, 3.2);
}

void glyphDeleteContact(QPainter& p) {
    person(p, kBlue, -1.2, 0);
    badge(p, kRed);
    whiteLine(p, cross(11.8, 11.8, 1.7), 1.5);
}

void glyphTray(QPainter& p) {
    shaded(p, roundRect(1.4, 12.0, 13.2, 2.8, 1.0), kGrey, 12, 15);
    arrow(p, 8, 1.4, 10.8, false, kBlue);
}

void glyphInfoBubble(QPainter& p) {
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(0.8, 1.2, 14.4, 10.6), 3.2, 3.2);
    QPainterPath tail;
    tail.moveTo(4.0, 10.8);
    tail.lineTo(3.2, 15.0);
    tail.lineTo(8.0, 10.8);
    tail.closeSubpath();
    p.setPen(QPen(darker(kBlue, 120), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(vertical(1, 12, Qt::white, QColor(0xd6, 0xe6, 0xfa)));
    p.drawPath(bubble.united(tail));
    textGlyph(p, QStringLiteral("i"), QRectF(0.8, 1.2, 14.4, 10.6), kBlue, 7.4);
}

void glyphContactCard(QPainter& p) {
    shaded(p, roundRect(0.6, 2.0, 14.8, 12.0, 1.6), QColor(0xe9, 0xef, 0xf7), 2, 14, 0.7);
    person(p, kBlue, 1.6, 3.6, 0.56);
    p.setPen(QPen(kGrey, 0.9, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(9.2, 5.6 + i * 2.2), QPointF(i == 2 ? 12.2 : 13.6, 5.6 + i * 2.2));
}

void glyphRegister(QPainter& p) {
    person(p, kTeal, -1.2, 0);
    badge(p, kGreen);
    whiteLine(p, plus(11.8, 11.8, 2.2), 1.5);
}

// Drawn in pixels of its 21 x 32 cell, not in the 16 x 16 box.
void glyphPhone(QPainter& p) {
    shaded(p, roundRect(1.5, 0.5, 18, 31, 3.2), QColor(0x3a, 0x40, 0x4a), 0.5, 31.5, 0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(4, 21, QColor(0xd8, 0xf0, 0xff), QColor(0x8f, 0xc4, 0xec)));
    p.drawRoundedRect(QRectF(3.5, 4.0, 14, 17), 1.0, 1.0);
    p.setBrush(QColor(0x8a, 0x92, 0x9c));
    p.drawRoundedRect(QRectF(8, 1.8, 5, 1.1), 0.5, 0.5);
    person(p, kBlue, 4.9, 6.6, 0.7);
    shaded(p, roundRect(8, 23.6, 5, 4.6, 2.0), QColor(0x6a, 0x72, 0x7e), 23.6, 28.2, 0.6);
}

using Glyph = SkinPainter::Glyph;

// Toolbar columns: add, edit, delete contact, settings, history, payment, tray, close.
constexpr std::array<Glyph, 8> kToolbar = {glyphAddContact, glyphEditContact, glyphDeleteContact,
                                           glyphSettings,   glyphHistory,     glyphPayment,
                                           glyphTray,       glyphClose};

struct Cell {
    QPoint corner;
    Glyph glyph;
};

// The 16 x 16 list, in index order.
const std::array<Cell, 19> kSmallIcons = {{
    {{176, 0}, glyphGroup},
    {{192, 0}, glyphContact},
    {{208, 0}, glyphSend},
    {{224, 0}, glyphClose},
    {{240, 0}, glyphAbout},
    {{256, 0}, glyphSettings},
    {{272, 0}, glyphEdit},
    {{288, 0}, glyphDelete},
    {{304, 0}, glyphAddContact},
    {{208, 16}, glyphHelp},
    {{176, 16}, glyphConnection},
    {{176, 32}, glyphKey},
    {{192, 16}, glyphRefresh},
    {{192, 32}, glyphOk},
    {{208, 32}, glyphCancel},
    {{176, 48}, glyphCalendar},
    {{192, 48}, glyphPayment},
    {{208, 48}, glyphSaveToServer},
    {{224, 48}, glyphLoadFromServer},
}};

// Header pictures 6.bmp to 14.bmp.
constexpr std::array<Glyph, 9> kHeaderPictures = {glyphContactCard, glyphRegister,   glyphSend,
                                                  glyphHistory,     glyphAbout,      glyphPayment,
                                                  glyphKey,         glyphInfoBubble, glyphSettings};

QString colorValue(const QColor& c) {
    // Windows colour value: blue, green, red from the high byte down.
    return QStringLiteral("$%1%2%3")
        .arg(c.blue(), 2, 16, QLatin1Char('0'))
        .arg(c.green(), 2, 16, QLatin1Char('0'))
        .arg(c.red(), 2, 16, QLatin1Char('0'))
        .toUpper();
}

bool save(const QImage& image, const QString& path) {
    if (image.convertToFormat(QImage::Format_RGB888).save(path, "BMP"))
        return true;
    std::fprintf(stderr, "skinpaint: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

SkinPainter::SkinPainter(const SkinPalette& palette)
    : m_palette(palette) {
}

QImage SkinPainter::render(Glyph glyph, QSize size, const QRectF& target) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(target.topLeft());
    p.scale(target.width() / 16.0, target.height() / 16.0);
    glyph(p);
    return image;
}

QImage SkinPainter::flattenOnMask(const QImage& drawing, const QColor& edge) {
    const QImage source = drawing.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(source.size(), QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const int a = qAlpha(in[x]);
            if (a < 128) {
                line[x] = qRgb(255, 0, 0);
                continue;
            }
            const auto blend = [&](int premultiplied, int background) {
                return premultiplied + background * (255 - a) / 255;
            };
            QRgb pixel = qRgb(blend(qRed(in[x]), edge.red()), blend(qGreen(in[x]), edge.green()),
                              blend(qBlue(in[x]), edge.blue()));
            // Pure red belongs to the mask; a drawn pixel must never turn into a hole.
            if (pixel == qRgb(255, 0, 0))
                pixel = qRgb(254, 0, 0);
            line[x] = pixel;
        }
    }
    return out;
}

QImage SkinPainter::flattenOn(const QImage& drawing, const QColor& background) {
    QImage out(drawing.size(), QImage::Format_RGB32);
    out.fill(background);
    QPainter(&out).drawImage(0, 0, drawing);
    return out;
}

QColor SkinPainter::toolbarMiddle() const {
    return toolbar().pixelColor(0, 16);
}

QImage SkinPainter::toolbarButton(int button, int state) const {
    QImage tile(22, 22, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    QPainter p(&tile);
    p.setRenderHint(QPainter::Antialiasing);
    if (state > 0) {
        const bool down = state == 2;
        p.setPen(QPen(down ? m_palette.accentDark : m_palette.accent, 1.0));
        p.setBrush(down ? vertical(0, 22, m_palette.accentLight.darker(112), m_palette.accentLight)
                        : vertical(0, 22, Qt::white, m_palette.accentLight));
        p.drawRoundedRect(QRectF(0.5, 0.5, 21, 21), 3.5, 3.5);
    }
    const double shift = state == 2 ? 1.0 : 0.0;
    p.drawImage(QPointF(shift, shift),
                render(kToolbar[button], QSize(22, 22), QRectF(2, 2, 18, 18)));
    p.end();
    return flattenOnMask(tile, toolbarMiddle());
}

QImage SkinPainter::spriteSheet() const {
    QImage sheet(320, 66, QImage::Format_RGB32);
    sheet.fill(qRgb(255, 0, 0));
    QPainter p(&sheet);
    for (int state = 0; state < 3; ++state)
        for (int button = 0; button < 8; ++button)
            p.drawImage(button * 22, state * 22, toolbarButton(button, state));
    for (const Cell& cell : kSmallIcons)
        p.drawImage(
            cell.corner,
            flattenOnMask(render(cell.glyph, QSize(16, 16), QRectF(0, 0, 16, 16)), m_palette.main));
    p.drawImage(
        224, 16,
        flattenOnMask(render(glyphPhone, QSize(21, 32), QRectF(0, 0, 16, 16)), m_palette.main));
    p.drawImage(245, 16,
                flattenOnMask(render(glyphTemplates, QSize(22, 22), QRectF(2, 2, 18, 18)),
                              m_palette.other));
    p.drawImage(
        245, 38,
        flattenOnMask(render(glyphHistory, QSize(22, 22), QRectF(2, 2, 18, 18)), m_palette.other));
    return sheet;
}

QImage SkinPainter::strip() const {
    QImage image(200, 25, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), vertical(0, 25, m_palette.accent.lighter(112), m_palette.accentDark));
    p.fillRect(QRect(0, 0, 200, 1), m_palette.accent.lighter(150));
    p.fillRect(QRect(0, 24, 200, 1), m_palette.accentDark.darker(130));
    p.save();
    p.translate(5, 4.5);
    envelope(p, 0, 1.5, 15, 11);
    p.restore();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(13);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 70));
    p.drawText(QRectF(26, 1, 170, 25), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Varnelo"));
    p.setPen(Qt::white);
    p.drawText(QRectF(25, 0, 170, 25), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Varnelo"));
    return image;
}

QImage SkinPainter::toolbar() const {
    QImage image(200, 33, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(image.rect(), vertical(0, 33, m_palette.main.lighter(108), m_palette.main));
    p.fillRect(QRect(0, 0, 200, 1), QColor(255, 255, 255, 180));
    p.fillRect(QRect(0, 32, 200, 1), m_palette.main.darker(118));
    return image;
}

QImage SkinPainter::banner() const {
    const int w = 480;
    const int h = 56;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(image.rect(), m_palette.bannerBase);
    // Ribbons rise from the right; the left stays plain for the picture and the title.
    for (int i = 0; i < 3; ++i) {
        QPainterPath wave;
        const double lift = 10 + i * 11;
        wave.moveTo(w * 0.42, h);
        wave.cubicTo(w * 0.62, h - lift * 0.2, w * 0.72, h - lift * 1.3, w, h - lift - 8);
        wave.lineTo(w, h);
        wave.closeSubpath();
        QLinearGradient g(w * 0.42, 0, w, 0);
        QColor from = i == 1 ? m_palette.accentLight : m_palette.main;
        QColor to = i == 2 ? m_palette.accent : m_palette.main.darker(108);
        from.setAlpha(0);
        to.setAlpha(i == 2 ? 90 : 170);
        g.setColorAt(0, from);
        g.setColorAt(1, to);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(wave);
    }
    QLinearGradient line(0, 0, w, 0);
    line.setColorAt(0, m_palette.accent);
    line.setColorAt(1, m_palette.accentDark);
    p.fillRect(QRect(0, h - 2, w, 2), line);
    return image;
}

QImage SkinPainter::headerPicture(int number) const {
    const Glyph glyph = kHeaderPictures[number - 6];
    return flattenOn(render(glyph, QSize(32, 32), QRectF(0, 0, 32, 32)), m_palette.bannerBase);
}

QByteArray SkinPainter::config() const {
    const QString text =
        QStringLiteral("[Colors]\r\nMain=%1\r\nOther=%2\r\nInfoText=%3\r\n"
                       "CaptionText=%4\r\n")
            .arg(colorValue(m_palette.main), colorValue(m_palette.other),
                 colorValue(m_palette.infoText), colorValue(m_palette.captionText));
    return text.toLatin1();
}

bool SkinPainter::writeAll(const QString& folder) const {
    QDir().mkpath(folder);
    QFile config(folder + QStringLiteral("/Config.cfg"));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        config.write(this->config()) < 0) {
        std::fprintf(stderr, "skinpaint: cannot write %s\n", qPrintable(config.fileName()));
        return false;
    }
    bool ok = save(spriteSheet(), folder + QStringLiteral("/1.bmp")) &&
              save(strip(), folder + QStringLiteral("/2.bmp")) &&
              save(toolbar(), folder + QStringLiteral("/3.bmp")) &&
              save(banner(), folder + QStringLiteral("/5.bmp"));
    for (int number = 6; ok && number <= 14; ++number)
        ok = save(headerPicture(number), folder + QStringLiteral("/%1.bmp").arg(number));
    return ok;
}
