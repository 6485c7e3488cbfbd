#include "fonts.h"

#include <QFontMetrics>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cstring>

namespace ktrv {

namespace {

struct StandIn {
  const char *family;  // as the layout names it
  const char *installed;
};

constexpr StandIn kStandIns[] = {
    {"MS Sans Serif", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},
    {"Arial", "Liberation Sans"},
    {"Arial Narrow", "Liberation Sans Narrow"},
};

// QLineEdit keeps this many pixels between its contents' edges and its
// text on either side, and one more for the cursor behind the last
// character.
constexpr int kLineEditTextMargin = 2;
constexpr int kCursorWidth = 1;

// The width a line edit draws its text in without scrolling it, for a font.
int textRoom(const QLineEdit &box, const QFont &font) {
  QStyleOptionFrame frame;
  frame.initFrom(&box);
  frame.rect = box.contentsRect();
  frame.lineWidth = box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, &box) : 0;
  frame.state |= QStyle::State_Sunken;
  const QRect contents = box.style()->subElementRect(QStyle::SE_LineEditContents, &frame, &box);
  const QMargins margins = box.textMargins();
  const QFontMetrics metrics(font);
  return contents.width() - margins.left() - margins.right() - 2 * kLineEditTextMargin -
         std::max(0, -metrics.minLeftBearing()) - std::max(0, -metrics.minRightBearing()) - kCursorWidth;
}

}  // namespace

QFont fontShowingWhole(const QLineEdit &box, const layout::Font &font, const QString &text) {
  QFont f = makeFont(font);
  while (f.pixelSize() > layout::kSmallestFittingPixels && QFontMetrics(f).horizontalAdvance(text) > textRoom(box, f))
    f.setPixelSize(f.pixelSize() - 1);
  return f;
}

QFont makeFont(const layout::Font &font) {
  QStringList families{QString::fromLatin1(font.family)};
  for (const StandIn &s : kStandIns) {
    if (std::strcmp(s.family, font.family) == 0) families.append(QString::fromLatin1(s.installed));
  }
  // fontconfig answers MS Sans Serif with a wider face than the one chosen
  // here, so the stand-in goes in front of the layout's name.
  if (std::strcmp(font.family, "MS Sans Serif") == 0) families.swapItemsAt(0, 1);
  QFont f;
  f.setFamilies(families);
  f.setPixelSize(layout::pixelsForPoints(font.points));
  f.setBold(font.bold);
  f.setItalic(font.italic);
  f.setStyleStrategy(QFont::PreferAntialias);
  return f;
}

}  // namespace ktrv
