#pragma once
// Which lines should have set the current value that a line takes. The
// reader's slots are shared between keywords, so a value may come from a
// line of another kind; the lint names such a line.
#include "update/script/script_observer.h"

namespace quillet {

struct SlotRule {
  const char* what;           // what the line takes, e.g. "parameter text"
  const int* writers;         // keyword codes that set it on purpose, ended by 0
  const char* writersText;    // the same for the author, e.g. "\"setParam:\" line"
  const char* missingText;    // what happens when no line set it at all
};

// The rule for a line of keyword `code` that reads `slot`; null when the
// line may take the value from any line.
const SlotRule* slotRuleFor(int code, ScriptSlot slot);

bool isSourceKeyword(int code);    // "file:" ... "remove:", "toolshortcut:"
bool isTargetKeyword(int code);    // "toWork:" ... "toIIS2k:"
bool isShortcutKeyword(int code);  // "desktopname:" ... "pxmenulnkname:"

}  // namespace quillet
