#include "tools/quillet-check/lint_slot_rules.h"

#include "update/script/script_keywords.h"

namespace quillet {

namespace {

const int kSources[] = {kKwFile, kKwPatch, kKwReplace, kKwOverwrite, kKwRemove,
                        kKwToolShortcut, 0};
const int kKeys[] = {kKwAddKey, kKwSetKey, 0};
const int kValueNames[] = {kKwSetName, 0};
const int kParameters[] = {kKwSetParam, 0};
const int kPatchIds[] = {kKwPatchID, 0};
const int kPatchNames[] = {kKwPatchName, 0};

const SlotRule kTargetSource{"source", kSources, "source line",
                             "Quillet copies an empty source, which fails: the update is put back (exit 1603)"};
const SlotRule kTargetName{"file name", kSources, "source line",
                           "Quillet copies an empty source, which fails: the update is put back (exit 1603)"};
const SlotRule kShortcutSource{"target", kSources, "source line",
                               "the shortcut points to nothing"};
const SlotRule kShortcutName{"link name", kSources, "source line",
                             "the shortcut points to nothing"};
const SlotRule kRegistryKey{"registry key", kKeys, "\"setKey:\" or \"addKey:\" line",
                            "the registry key is empty"};
const SlotRule kValueName{"value name", kValueNames, "\"setName:\" line",
                          "it writes the key's unnamed (default) value"};
const SlotRule kParameterText{"parameter text", kParameters, "\"setParam:\" line",
                              "the program is started with an empty parameter text"};
const SlotRule kPatchId{"patch identifier", kPatchIds, "\"PatchID:\" line",
                        "the patch is recorded under an empty identifier"};
const SlotRule kPatchName{"patch name", kPatchNames, "\"PatchName:\" line",
                          "the patch is recorded without a title"};

}  // namespace

bool isSourceKeyword(int code) {
  return (code >= kKwFile && code <= kKwRemove) || code == kKwToolShortcut;
}
bool isTargetKeyword(int code) { return code >= kKwToWork && code <= kKwToIIS2k; }
bool isShortcutKeyword(int code) { return code >= kKwDesktopName && code <= kKwPxMenuLnkName; }

const SlotRule* slotRuleFor(int code, ScriptSlot slot) {
  if (isTargetKeyword(code)) {
    if (slot == ScriptSlot::kSource) return &kTargetSource;
    if (slot == ScriptSlot::kName) return &kTargetName;
    return nullptr;
  }
  if (isShortcutKeyword(code)) {
    if (slot == ScriptSlot::kSource) return &kShortcutSource;
    if (slot == ScriptSlot::kName) return &kShortcutName;
    return nullptr;
  }
  switch (code) {
    case kKwDelSubKey:
    case kKwDelName: return slot == ScriptSlot::kSource ? &kRegistryKey : nullptr;
    case kKwAddSZValue:
    case kKwAddDWORDValue:
      if (slot == ScriptSlot::kSource) return &kRegistryKey;
      return slot == ScriptSlot::kDetail ? &kValueName : nullptr;
    case kKwGoExeParam: return slot == ScriptSlot::kDetail ? &kParameterText : nullptr;
    case kKwPatchSetInfo:
      if (slot == ScriptSlot::kSource) return &kPatchId;
      return slot == ScriptSlot::kDetail ? &kPatchName : nullptr;
    default: return nullptr;
  }
}

}  // namespace quillet
