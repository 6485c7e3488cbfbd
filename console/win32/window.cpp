#include "window.h"

#include <algorithm>
#include <string_view>

#include "resources.h"
#include "text_conversion.h"
#include "window_ids.h"

namespace ktrv::win32 {

namespace {

using layout::Kind;

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT_PTR kDelayTimer = 2;
constexpr UINT_PTR timerNumber(TimerId timer) { return timer == TimerId::tmrVekPoll ? kPollTimer : kDelayTimer; }

constexpr ControlId kWholeTextBox = controlId(layout::kWholeTextBox);

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The rows of kTabOrder: the order Tab moves the focus in. The controls are
// stacked in the table's order (a later row above an earlier one where they
// overlap), so the window moves the focus itself instead of leaving it to
// the dialog manager, which would follow the stacking.
constexpr auto kTabRows = [] {
  std::array<ControlId, layout::kTabOrder.size()> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = rowNamed(layout::kTabOrder[i]);
  return rows;
}();
static_assert(std::none_of(kTabRows.begin(), kTabRows.end(),
                           [](ControlId row) { return row == layout::kControls.size(); }),
              "every control in the tab order is in the table");

// A frame line, horizontal or vertical, with square ends: the rectangle it
// covers, half its width on either side of its axis and beyond its ends.
RECT lineRect(const layout::Line &line) {
  const int before = line.width / 2;
  const int after = line.width - before;
  return RECT{std::min(line.x1, line.x2) - before, std::min(line.y1, line.y2) - before,
              std::max(line.x1, line.x2) + after, std::max(line.y1, line.y2) + after};
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, Library &library) : instance_(instance) {
  windowBrush_ = CreateSolidBrush(colorRefOf(colourOf(layout::kWindowBack)));
  picture_ = LoadBitmapW(instance_, MAKEINTRESOURCEW(KTRV_PICTURE1));

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(KTRV_ICON));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = windowBrush_;
  wc.lpszClassName = kWindowClass;
  if (RegisterClassExW(&wc) == 0) return;

  // Nothing in the console reacts to a change of size, so the window keeps
  // the client area it was designed for.
  RECT frame{0, 0, layout::kClientWidth, layout::kClientHeight};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  CreateWindowExW(0, kWindowClass, widen(layout::kWindowTitle).c_str(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_, this);
  if (hwnd_ == nullptr) return;
  createControls();
  console_ = std::make_unique<Console>(*this, library);
}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  for (Control &c : controls_) {
    if (c.brush != nullptr) DeleteObject(c.brush);
  }
  UnregisterClassW(kWindowClass, instance_);
  if (picture_ != nullptr) DeleteObject(picture_);
  DeleteObject(windowBrush_);
}

void MainWindow::createControls() {
  for (ControlId row = 0; row < controls_.size(); ++row) {
    const layout::Control &c = layout::kControls[row];
    Control &state = controls_[row];
    state.hwnd = createControl(hwnd_, instance_, row, fonts_.font(c.font));
    state.back = backColourOf(c);
    state.fore = foreColourOf(c);
    // Each control goes above those made before it.
    SetWindowPos(state.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void MainWindow::show(int showCommand) {
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  SetFocus(controls_[kInitialFocus].hwnd);
}

int MainWindow::run() {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got < 0) return 1;
    dispatch(msg);
  }
}

void MainWindow::dispatch(MSG &msg) {
  if (tabbed(msg) || selectedAll(msg)) return;
  // The dialog manager gives the controls the keyboard as in a dialog box:
  // the space bar clicks a button or ticks a box, Enter comes as IDOK.
  if (hwnd_ != nullptr && IsDialogMessageW(hwnd_, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

bool MainWindow::tabbed(const MSG &msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || hwnd_ == nullptr) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  moveFocus(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
  return true;
}

// Ctrl+A in a text box selects its whole text, on every Windows version:
// the edit controls of Windows 10 and later do so themselves, older ones
// (and Wine's) ignore the key. With Alt held it is AltGr+A, a character.
bool MainWindow::selectedAll(const MSG &msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != 'A') return false;
  if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
  ControlId row = 0;
  if (!rowOf(msg.hwnd, row) || layout::kControls[row].kind != Kind::TextBox) return false;
  SendMessageW(msg.hwnd, EM_SETSEL, 0, -1);
  return true;
}

void MainWindow::moveFocus(int step) {
  const int count = static_cast<int>(kTabRows.size());
  const HWND focus = GetFocus();
  int at = step > 0 ? -1 : count;
  for (int i = 0; i < count; ++i) {
    if (controls_[kTabRows[static_cast<std::size_t>(i)]].hwnd == focus) at = i;
  }
  int to = at + step;
  if (to < 0) to = count - 1;
  if (to >= count) to = 0;
  const ControlId next = kTabRows[static_cast<std::size_t>(to)];
  SetFocus(controls_[next].hwnd);
  // A text box entered with Tab has its whole text selected.
  if (layout::kControls[next].kind == Kind::TextBox) SendMessageW(controls_[next].hwnd, EM_SETSEL, 0, -1);
}

LRESULT CALLBACK MainWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto *self = static_cast<MainWindow *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto *self = reinterpret_cast<MainWindow *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->handle(message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      command(wParam);
      return 0;
    case WM_TIMER:
      if (console_ != nullptr) console_->timerTick(wParam == kPollTimer ? TimerId::tmrVekPoll : TimerId::Delay1);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return colours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM: {
      const auto &item = *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
      ControlId row = 0;
      if (!rowOfControlId(static_cast<int>(item.CtlID), row)) break;
      if (layout::kControls[row].kind == Kind::CommandButton)
        drawCommandButton(item, controls_[row].back, controls_[row].fore);
      else
        drawPicture(item, controls_[row].back, picture_);
      return TRUE;
    }
    case WM_PAINT:
      paintLines();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
      }
      break;  // activation sets the focus on the window, which passes it on
    case WM_SETFOCUS:
      SetFocus(focus_ != nullptr && IsWindow(focus_) ? focus_ : controls_[kInitialFocus].hwnd);
      return 0;
    case WM_SETCURSOR:
      // A control asks its parent first: while a command waits, the wait
      // cursor shows over the whole client area.
      if (waitCursor_ && (reinterpret_cast<HWND>(wParam) != hwnd_ || LOWORD(lParam) == HTCLIENT)) {
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      // The close is never refused: the console ends every wait, closes the
      // registration, and the window goes.
      if (console_ != nullptr) console_->closing();
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      // The controls went before the window; a handler still running after
      // the close finds no window to work on.
      for (Control &c : controls_) c.hwnd = nullptr;
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::command(WPARAM wParam) {
  if (console_ == nullptr) return;
  const int id = LOWORD(wParam);
  ControlId row = 0;
  if (rowOfControlId(id, row)) {
    const Kind kind = layout::kControls[row].kind;
    if (HIWORD(wParam) == BN_CLICKED && (kind == Kind::CommandButton || kind == Kind::CheckBox)) console_->click(row);
    return;
  }
  // Enter, passed on by the dialog manager: it clicks a command button that
  // has the focus, as the space bar does.
  if (id == IDOK && rowOf(GetFocus(), row) && layout::kControls[row].kind == Kind::CommandButton) console_->click(row);
}

LRESULT MainWindow::colours(HDC dc, HWND control) {
  ControlId row = 0;
  if (!rowOf(control, row)) return 0;
  Control &c = controls_[row];
  if (c.brush == nullptr) c.brush = CreateSolidBrush(colorRefOf(c.back));
  SetTextColor(dc, colorRefOf(c.fore));
  SetBkColor(dc, colorRefOf(c.back));
  return reinterpret_cast<LRESULT>(c.brush);
}

// The frame lines are painted on the window itself, beneath its controls.
void MainWindow::paintLines() {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(hwnd_, &ps);
  for (const layout::Line &line : layout::kLines) {
    const HBRUSH brush = CreateSolidBrush(colorRefOf(colourOf(line.colour)));
    const RECT r = lineRect(line);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
  EndPaint(hwnd_, &ps);
}

bool MainWindow::rowOf(HWND control, ControlId &row) const {
  return control != nullptr && rowOfControlId(GetDlgCtrlID(control), row) && controls_[row].hwnd == control;
}

std::string MainWindow::text(ControlId control) const {
  const HWND hwnd = controls_[control].hwnd;
  if (hwnd == nullptr) return {};
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return narrow(text);
}

void MainWindow::setText(ControlId control, const std::string &text) {
  const HWND hwnd = controls_[control].hwnd;
  if (hwnd == nullptr) return;
  // The poll writes the same texts every tick: only a change is drawn.
  if (this->text(control) != text) {
    const std::wstring wide = widen(text);
    if (control == kWholeTextBox) fitFontToText(fonts_, hwnd, layout::kControls[control].font, wide);
    SetWindowTextW(hwnd, wide.c_str());
    if (layout::kControls[control].kind == Kind::CommandButton) InvalidateRect(hwnd, nullptr, FALSE);
  }
  if (layout::kControls[control].kind == Kind::TextBox) {
    // A text the console writes is shown from its first character.
    SendMessageW(hwnd, EM_SETSEL, 0, 0);
    SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
  }
}

void MainWindow::setBackColour(ControlId control, std::uint32_t rgb) {
  Control &c = controls_[control];
  if (c.back == rgb) return;
  c.back = rgb;
  if (c.brush != nullptr) DeleteObject(c.brush);
  c.brush = nullptr;
  if (c.hwnd != nullptr) InvalidateRect(c.hwnd, nullptr, TRUE);
}

void MainWindow::setForeColour(ControlId control, std::uint32_t rgb) {
  Control &c = controls_[control];
  if (c.fore == rgb) return;
  c.fore = rgb;
  if (c.hwnd != nullptr) InvalidateRect(c.hwnd, nullptr, TRUE);
}

bool MainWindow::isChecked(ControlId control) const {
  const HWND hwnd = controls_[control].hwnd;
  return hwnd != nullptr && SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// BM_SETCHECK sends the window no notification: the console's own change of
// a tick raises no click.
void MainWindow::setChecked(ControlId control, bool checked) {
  const HWND hwnd = controls_[control].hwnd;
  if (hwnd != nullptr) SendMessageW(hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// SetTimer on a running timer's number starts it afresh.
void MainWindow::startTimer(TimerId timer, int intervalMs) {
  if (hwnd_ != nullptr) SetTimer(hwnd_, timerNumber(timer), static_cast<UINT>(intervalMs), nullptr);
}

void MainWindow::stopTimer(TimerId timer) {
  if (hwnd_ != nullptr) KillTimer(hwnd_, timerNumber(timer));
}

// The pause of a waiting command: blocks in GetMessage until a message comes
// (a tick of Delay1 at the latest), then handles every message pending.
void MainWindow::waitForEvents() {
  MSG msg{};
  const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
  if (got <= 0) return quitDuringWait(got == 0 ? msg.wParam : 1);
  dispatch(msg);
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return quitDuringWait(msg.wParam);
    dispatch(msg);
  }
}

// WM_QUIT met inside a wait: the program is ending. The window closes as by
// its close command, which ends every wait, and WM_QUIT goes back on the
// queue for the outer loop.
void MainWindow::quitDuringWait(WPARAM status) {
  if (console_ != nullptr) console_->closing();
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  PostQuitMessage(static_cast<int>(status));
}

void MainWindow::requestClose() {
  if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

// The cursor changes at once where the mouse rests on the window, not only
// when it next moves: the control under it is asked for its cursor again.
void MainWindow::showWaiting(bool waiting) {
  waitCursor_ = waiting;
  POINT at{};
  if (hwnd_ == nullptr || !GetCursorPos(&at)) return;
  const HWND under = WindowFromPoint(at);
  if (under != hwnd_ && !IsChild(hwnd_, under)) return;
  const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(LOWORD(hit), WM_MOUSEMOVE));
}

void MainWindow::setToolTip(ControlId control, const std::string &text) {
  if (hwnd_ != nullptr) toolTips_.set(hwnd_, controls_[control].hwnd, text);
}

// Modal to the window: nothing of it takes a click while the box is up.
void MainWindow::showFatalMessage(const std::string &title, const std::string &message) {
  MessageBoxW(hwnd_, widen(message).c_str(), widen(title).c_str(),
              MB_OK | MB_ICONERROR | (hwnd_ == nullptr ? MB_TASKMODAL : 0));
}

}  // namespace ktrv::win32
