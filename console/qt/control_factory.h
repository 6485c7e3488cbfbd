// Makes one control of the window from its row of the layout table: the
// right widget kind, its object name, caption, colours, font and place.
#ifndef KTRV_CONTROL_FACTORY_H
#define KTRV_CONTROL_FACTORY_H

#include <QColor>
#include <QWidget>

#include "window_layout.h"

namespace ktrv {

// The colour a table entry stands for; fallback is used for "default".
QColor resolveColour(const layout::Colour &colour, QColor fallback);

QWidget *makeControl(const layout::Control &row, QWidget *parent);

}  // namespace ktrv

#endif
