#include "fonts.h"

#include <QStringList>

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

}  // namespace

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
