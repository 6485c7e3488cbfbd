// Turns a layout font (family and points) into a QFont sized in pixels
// for a 96-dpi screen, with the installed stand-ins for faces that Linux
// does not have: Liberation Sans for MS Sans Serif (a sans face of the same
// weight and nearly the same widths), and the metric-compatible Liberation
// faces for Courier New, Arial and Arial Narrow.
#ifndef KTRV_FONTS_H
#define KTRV_FONTS_H

#include <QFont>
#include <QLineEdit>

#include "window_layout.h"

namespace ktrv {

QFont makeFont(const layout::Font &font);

// The box's layout font, or where the text is wider than the box's room for
// text, the largest smaller pixel size of it (not below
// layout::kSmallestFittingPixels) in which the whole text shows.
QFont fontShowingWhole(const QLineEdit &box, const layout::Font &font, const QString &text);

}  // namespace ktrv

#endif
