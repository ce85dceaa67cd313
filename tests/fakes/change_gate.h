#pragma once
// The power of the fake machine: counts every change made to the fake file
// system and registry (flushes included), and either cuts the power after
// the n-th (every later change is refused and no service answers, as after a
// killed process or a power cut) or makes exactly the n-th change fail once.
// When the power comes back, each fake storage loses what it had not flushed
// (its listener in `storage`), then the machine starts again (`restart`:
// services load their modules anew).
#include <functional>
#include <vector>

namespace quillet {

struct ChangeGate {
  int cutAfter = -1;  // -1: never
  int failAt = -1;    // 1-based; -1: none
  int changes = 0;    // changes asked for so far
  bool cut = false;
  bool tornWrite = false;  // the registry value write the cut refuses lands half written
  std::vector<std::function<void()>> storage;
  std::vector<std::function<void()>> restart;
  std::function<void()> beforeChange;  // a test's look at the machine before each change

  // False: the change is refused.
  bool allow() {
    if (cut) return false;
    if (beforeChange) beforeChange();
    ++changes;
    if (cutAfter >= 0 && changes > cutAfter) {
      cut = true;
      return false;
    }
    return changes != failAt;
  }
  // Power back on, nothing injected; the count starts again. After a cut
  // the storages lose their unflushed data and the machine restarts.
  void restore() {
    const bool powerLost = cut;
    std::vector<std::function<void()>> storages = std::move(storage);
    std::vector<std::function<void()>> restarts = std::move(restart);
    *this = ChangeGate();  // beforeChange too
    storage = storages;
    restart = restarts;
    if (!powerLost) return;
    for (const auto& lose : storage) lose();
    for (const auto& start : restart) start();
  }
};

}  // namespace quillet
