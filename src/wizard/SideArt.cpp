#include "wizard/SideArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace mirel {

namespace {

// A data store drawn as a cylinder whose top ellipse is centred at (cx, top).
void DrawCylinder(QPainter& p, qreal cx, qreal top, qreal w, qreal h, const QColor& body) {
  const qreal rx = w / 2;
  const qreal ry = w / 7;
  QPainterPath side;
  side.moveTo(cx - rx, top);
  side.lineTo(cx - rx, top + h);
  side.arcTo(QRectF(cx - rx, top + h - ry, w, 2 * ry), 180, 180);
  side.lineTo(cx + rx, top);
  side.closeSubpath();
  QLinearGradient shade(cx - rx, 0, cx + rx, 0);
  shade.setColorAt(0, body.darker(130));
  shade.setColorAt(0.45, body.lighter(125));
  shade.setColorAt(1, body.darker(150));
  p.setPen(QPen(body.darker(200), 1));
  p.setBrush(shade);
  p.drawPath(side);
  // Bands that make the cylinder read as stacked disks.
  p.setBrush(Qt::NoBrush);
  for (int band = 1; band <= 2; ++band) {
    const qreal y = top + h * band / 3;
    p.drawArc(QRectF(cx - rx, y - ry, w, 2 * ry), 180 * 16, 180 * 16);
  }
  p.setBrush(body.lighter(140));
  p.drawEllipse(QRectF(cx - rx, top - ry, w, 2 * ry));
}

}  // namespace

QPixmap DrawSideArt(QSize size, qreal devicePixelRatio) {
  QPixmap pixmap(size * devicePixelRatio);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // Everything is drawn on the 120 x 260 design grid and scaled to size.
  p.scale(size.width() / 120.0, size.height() / 260.0);

  QLinearGradient sky(0, 0, 0, 260);
  sky.setColorAt(0, QColor(18, 42, 86));
  sky.setColorAt(1, QColor(20, 112, 128));
  p.fillRect(QRectF(0, 0, 120, 260), sky);

  // Faint grid lines: rows of a table.
  p.setPen(QPen(QColor(255, 255, 255, 22), 1));
  for (int y = 12; y < 260; y += 12) p.drawLine(QPointF(0, y), QPointF(120, y));

  DrawCylinder(p, 34, 34, 40, 46, QColor(150, 150, 160));
  DrawCylinder(p, 86, 34, 40, 46, QColor(150, 150, 160));

  // The arrow from both old stores down to the new one.
  QPainterPath arrow;
  arrow.moveTo(34, 96);
  arrow.cubicTo(34, 120, 60, 112, 60, 138);
  arrow.moveTo(86, 96);
  arrow.cubicTo(86, 120, 60, 112, 60, 138);
  p.setPen(QPen(QColor(255, 176, 72), 5, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(arrow);
  QPolygonF head;
  head << QPointF(48, 134) << QPointF(72, 134) << QPointF(60, 152);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 176, 72));
  p.drawPolygon(head);

  DrawCylinder(p, 60, 172, 64, 58, QColor(60, 170, 220));

  // A spark on the new store.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 200));
  QPolygonF star;
  const QPointF c(82, 188);
  for (int i = 0; i < 8; ++i) {
    const qreal r = (i % 2 == 0) ? 7 : 2.2;
    const qreal a = i * 3.14159265 / 4;
    star << c + QPointF(r * std::cos(a), r * std::sin(a));
  }
  p.drawPolygon(star);
  return pixmap;
}

}  // namespace mirel
