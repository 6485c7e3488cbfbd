#include "command_button.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

#include "window_layout.h"

namespace ktrv {

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
  const QColor edgeLight = QColor::fromRgb(layout::kButtonEdgeLight);
  const QColor edgeDark = QColor::fromRgb(layout::kButtonEdgeDark);
  const QColor light = sunken ? edgeDark : edgeLight;
  const QColor dark = sunken ? edgeLight : edgeDark;
  for (int i = 0; i < layout::kButtonEdgeWidth; ++i) {
    const QRect e = r.adjusted(i, i, -i - 1, -i - 1);
    p.setPen(light);
    p.drawLine(e.topLeft(), e.topRight());
    p.drawLine(e.topLeft(), e.bottomLeft());
    p.setPen(dark);
    p.drawLine(e.bottomLeft(), e.bottomRight());
    p.drawLine(e.topRight(), e.bottomRight());
  }

  constexpr int margin = layout::kButtonCaptionMargin;
  QRect captionArea = r.adjusted(margin, margin, -margin, -margin);
  if (sunken) captionArea.translate(layout::kButtonPressedShift, layout::kButtonPressedShift);
  p.setFont(font());
  p.setPen(palette().color(QPalette::ButtonText));
  p.drawText(captionArea, Qt::AlignCenter | Qt::TextWordWrap, text());

  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    constexpr int inset = layout::kButtonFocusInset;
    focus.rect = r.adjusted(inset, inset, -inset, -inset);
    focus.backgroundColor = back_;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
  }
}

}  // namespace ktrv
