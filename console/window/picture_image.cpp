#include "picture_image.h"

#include <QLinearGradient>
#include <QPainter>

#include "window_layout.h"

namespace ktrv {

QImage makePicture1Image() {
  QImage image(layout::kPictureImageWidth, layout::kPictureImageHeight, QImage::Format_RGB888);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, 50);
  sky.setColorAt(0, QColor(0x1E, 0x50, 0xA0));
  sky.setColorAt(1, QColor(0xA8, 0xD0, 0xF0));
  p.fillRect(image.rect(), sky);
  p.fillRect(0, 56, 138, 17, QColor(0x50, 0x70, 0x30));  // ground

  // Weighbridge deck with its load cells.
  p.fillRect(10, 52, 118, 6, QColor(0x60, 0x60, 0x60));
  p.fillRect(14, 58, 6, 4, QColor(0x30, 0x30, 0x30));
  p.fillRect(118, 58, 6, 4, QColor(0x30, 0x30, 0x30));

  // Lorry: trailer, cab, window, wheels.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xC0, 0x40, 0x00));
  p.drawRect(22, 28, 66, 20);
  p.setBrush(QColor(0xFF, 0xC0, 0x40));
  p.drawRoundedRect(90, 32, 26, 16, 3, 3);
  p.setBrush(QColor(0xC0, 0xE8, 0xFF));
  p.drawRect(104, 35, 9, 6);
  p.setBrush(QColor(0x20, 0x20, 0x20));
  for (int x : {32, 46, 78, 104}) p.drawEllipse(QPoint(x, 50), 4, 4);

  QFont f(QStringLiteral("Liberation Sans"));
  f.setPixelSize(18);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 2, 138, 24), Qt::AlignCenter, QStringLiteral("KTRV"));
  p.end();
  return image;
}

}  // namespace ktrv
