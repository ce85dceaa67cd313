#pragma once
// The power of the fake machine: counts every change made to the fake file
// system and registry, and either cuts the power after the n-th (every later
// change is refused and no service answers, as after a killed process or a
// power cut) or makes exactly the n-th change fail once.
namespace quillet {

struct ChangeGate {
  int cutAfter = -1;  // -1: never
  int failAt = -1;    // 1-based; -1: none
  int changes = 0;    // changes asked for so far
  bool cut = false;

  // False: the change is refused.
  bool allow() {
    if (cut) return false;
    ++changes;
    if (cutAfter >= 0 && changes > cutAfter) {
      cut = true;
      return false;
    }
    return changes != failAt;
  }
  // Power back on, nothing injected; the count starts again.
  void restore() { *this = ChangeGate(); }
};

}  // namespace quillet
