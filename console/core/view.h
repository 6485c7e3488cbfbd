// What the console's logic needs of a window, whatever toolkit draws it.
// The Qt and the Win32 front ends implement it; the tests use a fake.
// Texts are UTF-8; colours are 0xRRGGBB.
#ifndef KTRV_VIEW_H
#define KTRV_VIEW_H

#include <cstdint>
#include <string>

#include "window_layout.h"

namespace ktrv {

enum class TimerId { tmrVekPoll, Delay1 };

class View {
 public:
  virtual ~View() = default;

  // The text of a text box or label, or the caption of a button. A text the
  // console writes replaces what the operator typed and is shown from its
  // first character.
  virtual std::string text(ControlId control) const = 0;
  virtual void setText(ControlId control, const std::string &text) = 0;
  virtual std::uint32_t backColour(ControlId control) const = 0;
  virtual void setBackColour(ControlId control, std::uint32_t rgb) = 0;
  virtual std::uint32_t foreColour(ControlId control) const = 0;
  virtual void setForeColour(ControlId control, std::uint32_t rgb) = 0;
  // A check box's tick. Setting it raises no click: the console runs a box's
  // handling itself when its own code changes the tick.
  virtual bool isChecked(ControlId control) const = 0;
  virtual void setChecked(ControlId control, bool checked) = 0;

  // A timer of the window ticks every interval on the window's thread until
  // stopped; starting a running timer starts it afresh.
  virtual void startTimer(TimerId timer, int intervalMs) = 0;
  virtual void stopTimer(TimerId timer) = 0;

  // Handles every pending event of the window, waiting for one when none is
  // pending: the pause of Delay_Me. It may run handlers of the console.
  virtual void waitForEvents() = 0;
  // Closes the window as its own close command does.
  virtual void requestClose() = 0;
  // The wait cursor over the window while a command waits for the
  // terminal, the usual cursor again afterwards.
  virtual void showWaiting(bool waiting) = 0;

  // The text shown while the mouse rests on a control; an empty text shows
  // none.
  virtual void setToolTip(ControlId control, const std::string &text) = 0;
  // A message box with an OK button that stays until the operator closes
  // it; returns then.
  virtual void showFatalMessage(const std::string &title, const std::string &message) = 0;
};

}  // namespace ktrv

#endif
