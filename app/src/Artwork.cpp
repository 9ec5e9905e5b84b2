#include "quandrelle/app/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

namespace quandrelle {
namespace {

void drawArrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF dir = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF side(-dir.y(), dir.x());
    QPolygonF head;
    head << to << to - dir * 10 + side * 6 << to - dir * 10 - side * 6;
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawPolygon(head);
}

}  // namespace

QPixmap cartridgePicture(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = size.width();
    const double h = size.height();

    // The cartridge shell: a rounded canister seen from the side, cut open.
    const QRectF shell(w * 0.22, h * 0.12, w * 0.56, h * 0.76);
    QLinearGradient metal(shell.topLeft(), shell.topRight());
    metal.setColorAt(0, QColor(150, 160, 170));
    metal.setColorAt(0.5, QColor(225, 230, 235));
    metal.setColorAt(1, QColor(140, 150, 160));
    p.setPen(QPen(QColor(70, 80, 90), 2));
    p.setBrush(metal);
    p.drawRoundedRect(shell, w * 0.05, w * 0.05);

    // The carbon bed: dark granules packed between two screens.
    const QRectF bed = shell.adjusted(w * 0.05, h * 0.14, -w * 0.05, -h * 0.14);
    p.setBrush(QColor(45, 45, 48));
    p.setPen(Qt::NoPen);
    p.drawRect(bed);
    QRandomGenerator granules(7);  // a fixed seed: the same picture every time
    for (int i = 0; i < 260; ++i) {
        const double x = bed.left() + granules.bounded(bed.width());
        const double y = bed.top() + granules.bounded(bed.height());
        const double r = 1.5 + granules.bounded(2.5);
        const int grey = 60 + granules.bounded(60);
        p.setBrush(QColor(grey, grey, grey + 6));
        p.drawEllipse(QPointF(x, y), r, r * 0.8);
    }
    p.setPen(QPen(QColor(200, 200, 200), 2, Qt::DashLine));
    p.drawLine(bed.topLeft(), bed.topRight());
    p.drawLine(bed.bottomLeft(), bed.bottomRight());

    // The vapor front: the upstream part of the bed already loaded, shaded in amber.
    QLinearGradient front(bed.topLeft(), bed.bottomLeft());
    front.setColorAt(0, QColor(230, 150, 40, 150));
    front.setColorAt(0.45, QColor(230, 150, 40, 90));
    front.setColorAt(0.6, QColor(230, 150, 40, 0));
    p.setBrush(front);
    p.setPen(Qt::NoPen);
    p.drawRect(bed);

    // Contaminated air in at the top, clean air out at the bottom.
    for (int i = 0; i < 3; ++i) {
        const double x = shell.left() + shell.width() * (0.25 + 0.25 * i);
        drawArrow(p, QPointF(x, h * 0.0 + 4), QPointF(x, shell.top() + h * 0.08), QColor(200, 110, 30));
        drawArrow(p, QPointF(x, shell.bottom() - h * 0.08), QPointF(x, h - 4), QColor(40, 120, 200));
    }
    return pixmap;
}

QPixmap emblemPicture(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(2, 2, size.width() - 4, size.height() - 4);

    // A breakthrough curve in a rounded tile: outlet concentration rising through the limit.
    QLinearGradient tile(box.topLeft(), box.bottomRight());
    tile.setColorAt(0, QColor(32, 86, 140));
    tile.setColorAt(1, QColor(20, 50, 90));
    p.setBrush(tile);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(box, box.width() * 0.18, box.height() * 0.18);

    const QRectF plot =
        box.adjusted(box.width() * 0.16, box.height() * 0.18, -box.width() * 0.14, -box.height() * 0.2);
    p.setPen(QPen(QColor(200, 215, 230), 2));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    QPainterPath curve(plot.bottomLeft());
    curve.cubicTo(QPointF(plot.left() + plot.width() * 0.55, plot.bottom()),
                  QPointF(plot.left() + plot.width() * 0.5, plot.top()), plot.topRight());
    p.setPen(QPen(QColor(250, 180, 60), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setPen(QPen(QColor(230, 90, 80), 1.5, Qt::DashLine));
    const double limitY = plot.bottom() - plot.height() * 0.25;
    p.drawLine(QPointF(plot.left(), limitY), QPointF(plot.right(), limitY));
    return pixmap;
}

}  // namespace quandrelle
