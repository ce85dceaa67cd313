#include "update/app/dialog_text_fit.h"

#include <string>
#include <vector>

#include "update/app/dialog.h"
#include "update/run/dialog_layout.h"

namespace quillet {
namespace {

// What kind of text a control shows, from its class and style.
enum class TextKind { kNone, kPushButton, kCheckBox, kStatic };

TextKind textKindOf(HWND control, TextAlign* align) {
  wchar_t className[32] = {};
  GetClassNameW(control, className, 32);
  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  if (lstrcmpiW(className, L"Button") == 0) {
    const LONG_PTR horizontal = style & (BS_LEFT | BS_RIGHT | BS_CENTER);
    switch (style & BS_TYPEMASK) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON:
        *align = horizontal == BS_LEFT    ? TextAlign::kLeft
                 : horizontal == BS_RIGHT ? TextAlign::kRight
                                          : TextAlign::kCentre;
        return TextKind::kPushButton;
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
      case BS_3STATE:
      case BS_AUTO3STATE:
        *align = TextAlign::kLeft;  // the box comes first
        return TextKind::kCheckBox;
      default:
        return TextKind::kNone;  // group boxes and owner-drawn buttons
    }
  }
  if (lstrcmpiW(className, L"Static") == 0) {
    switch (style & SS_TYPEMASK) {
      case SS_LEFT:
      case SS_LEFTNOWORDWRAP:
      case SS_SIMPLE:
        *align = TextAlign::kLeft;
        return TextKind::kStatic;
      case SS_CENTER:
        *align = TextAlign::kCentre;
        return TextKind::kStatic;
      case SS_RIGHT:
        *align = TextAlign::kRight;
        return TextKind::kStatic;
      default:
        return TextKind::kNone;  // pictures, rectangles, frames
    }
  }
  return TextKind::kNone;
}

// The text's extent as DrawTextW lays it out; with a wrap width, broken into
// lines of at most that width.
SIZE drawnExtent(HDC dc, const std::wstring& text, UINT flags, int wrapWidth) {
  RECT rect = {0, 0, wrapWidth, 0};
  if (wrapWidth > 0) flags |= DT_WORDBREAK;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags | DT_CALCRECT);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// The room the control's text needs in the control's own font. A static
// text keeps its lines as written while they fit on the screen; a longer
// line wraps at widestLine.
SIZE textRoom(HWND control, TextKind kind, int widestLine) {
  const std::wstring text = windowTextWide(control);
  if (text.empty()) return SIZE{0, 0};
  HDC dc = GetDC(control);
  if (dc == nullptr) return SIZE{0, 0};
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  TEXTMETRICW metrics = {};
  GetTextMetricsW(dc, &metrics);

  const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  UINT flags = DT_EXPANDTABS;
  // Buttons always underline their "&" letter; statics unless told not to.
  if (kind == TextKind::kStatic && (style & SS_NOPREFIX)) flags |= DT_NOPREFIX;
  if (kind != TextKind::kStatic && !(style & BS_MULTILINE)) flags |= DT_SINGLELINE;
  SIZE room = drawnExtent(dc, text, flags, 0);
  if (kind == TextKind::kStatic && room.cx > widestLine && widestLine > 0) {
    room = drawnExtent(dc, text, flags, widestLine);
  }
  const int edgeX = GetSystemMetrics(SM_CXEDGE);
  const int edgeY = GetSystemMetrics(SM_CYEDGE);
  if (kind == TextKind::kPushButton) {
    // The raised frame (two edges) and the focus rectangle inside it, on
    // both sides.
    room.cx += 2 * (2 * edgeX + 1);
    room.cy += 2 * (2 * edgeY + 1);
  } else if (kind == TextKind::kCheckBox) {
    // The box, the gap before the text and the focus rectangle around it.
    room.cx += GetSystemMetrics(SM_CXMENUCHECK) + metrics.tmAveCharWidth + 2;
    const int box = GetSystemMetrics(SM_CYMENUCHECK);
    if (room.cy < box) room.cy = box;
  }
  if (previous != nullptr) SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return room;
}

RECT clientRectOf(HWND control, HWND dialog) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

bool fitDialogToTexts(HWND dialog) {
  RECT client = {};
  GetClientRect(dialog, &client);
  RECT window = {};
  GetWindowRect(dialog, &window);
  const int frameWidth = (window.right - window.left) - client.right;
  const int frameHeight = (window.bottom - window.top) - client.bottom;

  // The template's own spacing: a margin of 7 units, centred within 2.
  RECT units = {7, 7, 2, 2};
  MapDialogRect(dialog, &units);
  DialogLayout layout;
  layout.width = client.right;
  layout.height = client.bottom;
  layout.margin = units.left;
  layout.centreSlack = units.right + 1;  // and a pixel of rounding

  RECT area = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const int widestLine = (area.right - area.left) - frameWidth - 2 * layout.margin;

  std::vector<HWND> controls;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    LayoutControl control;
    const RECT rect = clientRectOf(child, dialog);
    control.box = LayoutBox{rect.left, rect.top, rect.right, rect.bottom};
    const TextKind kind = textKindOf(child, &control.align);
    if (kind != TextKind::kNone) {
      const SIZE room = textRoom(child, kind, widestLine);
      control.needWidth = room.cx;
      control.needHeight = room.cy;
    }
    layout.controls.push_back(control);
    controls.push_back(child);
  }

  const DialogLayout fitted = fitTexts(layout);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const LayoutBox& box = fitted.controls[i].box;
    if (box == layout.controls[i].box) continue;
    SetWindowPos(controls[i], nullptr, box.left, box.top, box.width(), box.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (fitted.width == layout.width && fitted.height == layout.height) return false;
  SetWindowPos(dialog, nullptr, 0, 0, fitted.width + frameWidth, fitted.height + frameHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

}  // namespace quillet
