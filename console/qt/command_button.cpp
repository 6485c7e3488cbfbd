#include "command_button.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

namespace ktrv {

namespace {
constexpr int kEdge = 2;
constexpr int kCaptionMargin = 1;
}  // namespace

CommandButton::CommandButton(const QString &caption, QColor back, QWidget *parent)
    : QPushButton(caption, parent), back_(back) {
  setPaletteButtonColour(back);
  // Enter clicks a focused button, as the space bar does.
  setAutoDefault(true);
}

// The palette carries the same colour, so whatever asks the button for its
// colour gets the one it is filled with.
void CommandButton::setPaletteButtonColour(QColor colour) {
  QPalette pal = palette();
  pal.setColor(QPalette::Button, colour);
  setPalette(pal);
}

void CommandButton::setBackColour(QColor colour) {
  back_ = colour;
  setPaletteButtonColour(colour);
  update();
}

void CommandButton::paintEvent(QPaintEvent *) {
  QPainter p(this);
  const QRect r = rect();
  p.fillRect(r, back_);

  const bool sunken = isDown();
  const QColor light = sunken ? QColor(64, 64, 64) : QColor(255, 255, 255);
  const QColor dark = sunken ? QColor(255, 255, 255) : QColor(64, 64, 64);
  for (int i = 0; i < kEdge; ++i) {
    const QRect e = r.adjusted(i, i, -i - 1, -i - 1);
    p.setPen(light);
    p.drawLine(e.topLeft(), e.topRight());
    p.drawLine(e.topLeft(), e.bottomLeft());
    p.setPen(dark);
    p.drawLine(e.bottomLeft(), e.bottomRight());
    p.drawLine(e.topRight(), e.bottomRight());
  }

  QRect captionArea = r.adjusted(kCaptionMargin, kCaptionMargin, -kCaptionMargin, -kCaptionMargin);
  if (sunken) captionArea.translate(1, 1);
  p.setFont(font());
  p.setPen(palette().color(QPalette::ButtonText));
  p.drawText(captionArea, Qt::AlignCenter | Qt::TextWordWrap, text());

  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = r.adjusted(kEdge + 1, kEdge + 1, -kEdge - 1, -kEdge - 1);
    focus.backgroundColor = back_;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
  }
}

}  // namespace ktrv
