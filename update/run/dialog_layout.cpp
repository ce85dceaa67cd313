#include "update/run/dialog_layout.h"

#include <algorithm>
#include <cstdlib>

namespace quillet {
namespace {

// One axis of the layout at a time: x (widths) first, so that the heights
// are those of the final widths, then y.
enum class Axis { kX, kY };

struct Span {
  int lo = 0;
  int hi = 0;
  int length() const { return hi - lo; }
};

Span spanOf(const LayoutBox& box, Axis axis) {
  return axis == Axis::kX ? Span{box.left, box.right} : Span{box.top, box.bottom};
}

void setSpan(LayoutBox* box, Axis axis, Span span) {
  if (axis == Axis::kX) {
    box->left = span.lo;
    box->right = span.hi;
  } else {
    box->top = span.lo;
    box->bottom = span.hi;
  }
}

int needOf(const LayoutControl& control, Axis axis) {
  return axis == Axis::kX ? control.needWidth : control.needHeight;
}

// How much of a growth goes to the low side (left, top); the rest goes to
// the high side. Texts read from the top, so heights always grow downward.
int growthBefore(const LayoutControl& control, Span span, int extent, bool centred, int growth) {
  if (centred) return growth / 2;
  switch (control.align) {
    case TextAlign::kLeft:
      return 0;
    case TextAlign::kRight:
      return growth;
    case TextAlign::kCentre:
      // Toward the farther edge of the dialog, where the room is.
      return span.lo > extent - span.hi ? growth : 0;
  }
  return 0;
}

// Fits the texts along one axis; returns the dialog's new extent.
int fitAxis(DialogLayout* layout, Axis axis) {
  const int extent = axis == Axis::kX ? layout->width : layout->height;
  const std::size_t count = layout->controls.size();
  std::vector<Span> original(count);
  std::vector<bool> covers(count), centred(count);
  std::vector<int> target(count);
  for (std::size_t i = 0; i < count; ++i) {
    const Span span = spanOf(layout->controls[i].box, axis);
    original[i] = span;
    covers[i] = span.lo <= 0 && span.hi >= extent;
    centred[i] = axis == Axis::kX && !covers[i] &&
                 std::abs(span.lo - (extent - span.hi)) <= layout->centreSlack;
    target[i] =
        covers[i] ? span.length() : std::max(span.length(), needOf(layout->controls[i], axis));
  }
  // Controls that shared a left edge and width (a column of radio buttons)
  // take the widest need of them all; the same for a top edge and height.
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = 0; j < count; ++j) {
      if (needOf(layout->controls[j], axis) > 0 && !covers[j] && !covers[i] &&
          needOf(layout->controls[i], axis) > 0 && original[i].lo == original[j].lo &&
          original[i].length() == original[j].length()) {
        target[i] = std::max(target[i], target[j]);
      }
    }
  }

  std::vector<int> before(count, 0), after(count, 0), moved(count, 0);
  for (std::size_t i = 0; i < count; ++i) {
    const int growth = target[i] - original[i].length();
    if (growth <= 0) continue;
    before[i] = axis == Axis::kX
                    ? growthBefore(layout->controls[i], original[i], extent, centred[i], growth)
                    : 0;
    after[i] = growth - before[i];
    // Whatever lies wholly beyond an edge that moves moves along with it, so
    // that rows and columns keep their order and spacing.
    for (std::size_t j = 0; j < count; ++j) {
      if (j == i || covers[j]) continue;
      if (original[j].lo >= original[i].hi) moved[j] += after[i];
      if (original[j].hi <= original[i].lo) moved[j] -= before[i];
    }
  }

  std::vector<Span> grown(count);
  int overflowBefore = 0, overflowAfter = 0;
  for (std::size_t i = 0; i < count; ++i) {
    grown[i] = {original[i].lo - before[i] + moved[i], original[i].hi + after[i] + moved[i]};
    if (covers[i]) continue;
    // A control keeps the margin, or the smaller distance it had to begin with.
    overflowBefore =
        std::max(overflowBefore, std::min(original[i].lo, layout->margin) - grown[i].lo);
    overflowAfter = std::max(
        overflowAfter, grown[i].hi + std::min(extent - original[i].hi, layout->margin) - extent);
  }
  const int newExtent = extent + overflowBefore + overflowAfter;
  for (std::size_t i = 0; i < count; ++i) {
    Span span = grown[i];
    if (covers[i]) {
      span.hi += newExtent - extent;
    } else {
      const int shift =
          centred[i] && newExtent != extent ? (newExtent - extent) / 2 : overflowBefore;
      span.lo += shift;
      span.hi += shift;
    }
    setSpan(&layout->controls[i].box, axis, span);
  }
  return newExtent;
}

}  // namespace

DialogLayout fitTexts(const DialogLayout& layout) {
  DialogLayout fitted = layout;
  fitted.width = fitAxis(&fitted, Axis::kX);
  fitted.height = fitAxis(&fitted, Axis::kY);
  return fitted;
}

}  // namespace quillet
