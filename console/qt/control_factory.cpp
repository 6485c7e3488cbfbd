#include "control_factory.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QStyle>

#include <limits>

#include "check_box.h"
#include "command_button.h"
#include "fonts.h"
#include "system_colours.h"

// The picture is a resource of this static library: it has to be
// registered before its first use.
static void registerResources() { Q_INIT_RESOURCE(console); }

namespace ktrv {

namespace {

// A control without a colour of its own takes the platform's default for
// its kind, not the window's colours.
QPalette defaultPalette() { return QApplication::style()->standardPalette(); }

QPalette paletteFor(const layout::Control &row, QPalette::ColorRole backRole, QPalette::ColorRole foreRole) {
  QPalette pal = defaultPalette();
  pal.setColor(backRole, resolveColour(row.back, pal.color(backRole)));
  pal.setColor(foreRole, resolveColour(row.fore, pal.color(foreRole)));
  return pal;
}

QWidget *makeLabel(const layout::Control &row, QWidget *parent) {
  auto *label = new QLabel(QString::fromUtf8(row.text), parent);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setAutoFillBackground(true);
  label->setPalette(paletteFor(row, QPalette::Window, QPalette::WindowText));
  label->setFocusPolicy(Qt::NoFocus);
  return label;
}

QWidget *makeTextBox(const layout::Control &row, QWidget *parent) {
  auto *box = new QLineEdit(QString::fromUtf8(row.text), parent);
  box->setMaxLength(std::numeric_limits<int>::max());
  box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  box->setPalette(paletteFor(row, QPalette::Base, QPalette::Text));
  box->setTextMargins(0, 0, 0, 0);
  box->setCursorPosition(0);
  return box;
}

QWidget *makeCommandButton(const layout::Control &row, QWidget *parent) {
  const QColor back = resolveColour(row.back, defaultPalette().color(QPalette::Button));
  auto *button = new CommandButton(QString::fromUtf8(row.text), back, parent);
  button->setPalette(paletteFor(row, QPalette::Button, QPalette::ButtonText));
  return button;
}

QWidget *makeCheckBox(const layout::Control &row, QWidget *parent) {
  auto *box = new CheckBox(QString::fromUtf8(row.text), parent);
  // Buttons fill with the button colour by default; a box shows its own.
  box->setBackgroundRole(QPalette::Window);
  box->setAutoFillBackground(true);
  box->setPalette(paletteFor(row, QPalette::Window, QPalette::WindowText));
  // The boxes carry their tick square to the right of the caption.
  box->setLayoutDirection(Qt::RightToLeft);
  box->setChecked(false);
  return box;
}

QWidget *makePictureBox(const layout::Control &row, QWidget *parent) {
  auto *picture = new QLabel(parent);
  picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  picture->setLineWidth(layout::kPictureFrameWidth);
  picture->setAutoFillBackground(true);
  picture->setPalette(paletteFor(row, QPalette::Window, QPalette::WindowText));
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  registerResources();
  picture->setPixmap(QPixmap(QStringLiteral(":/picture1.bmp")));
  picture->setFocusPolicy(Qt::StrongFocus);
  return picture;
}

}  // namespace

QColor resolveColour(const layout::Colour &colour, QColor fallback) {
  switch (colour.source) {
    case layout::Colour::Source::Rgb:
      return QColor::fromRgb(static_cast<QRgb>(colour.value));
    case layout::Colour::Source::System:
      if (auto rgb = systemColourRgb(colour.value)) return QColor::fromRgb(static_cast<QRgb>(*rgb));
      return fallback;
    case layout::Colour::Source::Default:
      break;
  }
  return fallback;
}

QWidget *makeControl(const layout::Control &row, QWidget *parent) {
  QWidget *w = nullptr;
  switch (row.kind) {
    case layout::Kind::Label:
      w = makeLabel(row, parent);
      break;
    case layout::Kind::TextBox:
      w = makeTextBox(row, parent);
      break;
    case layout::Kind::CommandButton:
      w = makeCommandButton(row, parent);
      break;
    case layout::Kind::CheckBox:
      w = makeCheckBox(row, parent);
      break;
    case layout::Kind::PictureBox:
      w = makePictureBox(row, parent);
      break;
  }
  w->setObjectName(QString::fromLatin1(row.name));
  w->setFont(makeFont(row.font));
  w->setGeometry(row.left, row.top, row.width, row.height);
  return w;
}

}  // namespace ktrv
