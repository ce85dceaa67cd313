#pragma once
// How a dialog makes room for texts that need more than their controls
// give them. The sizes come from the window system (each text measured in
// its control's own font); this is only the geometry, in pixels of the
// dialog's client area, so that it can be reasoned about and tested apart
// from any window.
#include <vector>

namespace quillet {

struct LayoutBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const LayoutBox& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// Where a control's text sits inside it: this decides the side a control
// grows to when nothing else does (radio and check boxes read from the left).
enum class TextAlign { kLeft, kCentre, kRight };

struct LayoutControl {
  LayoutBox box;
  TextAlign align = TextAlign::kLeft;
  // The room the text needs, edges and check box included; 0 for a control
  // without text to fit (pictures, progress bars, empty labels).
  int needWidth = 0;
  int needHeight = 0;
};

struct DialogLayout {
  int width = 0;  // client area
  int height = 0;
  // The room kept between the controls and the dialog's edges when the
  // dialog has to grow (a control closer to an edge keeps its distance).
  int margin = 0;
  // How far from the middle a control may be and still count as centred
  // in the dialog (the templates are laid out in rounded units).
  int centreSlack = 0;
  std::vector<LayoutControl> controls;
};

// Widens and heightens the controls whose texts do not fit, and grows the
// dialog to hold them, keeping the layout's order and alignment:
// - a control centred in the dialog grows on both sides; any other grows to
//   the side its text reads from (a centred text toward the farther edge);
// - controls that shared their left edge and width keep sharing them;
// - the neighbours on the side a control grows to move along in its row,
//   the controls below it move down by what it grew in height;
// - the dialog grows only where a control would come closer to its edge
//   than the margin; centred controls stay centred and controls that
//   covered the whole dialog keep covering it.
// Where every text fits, the layout comes back unchanged. Growing only,
// never shrinking: applying it again changes nothing.
DialogLayout fitTexts(const DialogLayout& layout);

}  // namespace quillet
