#include "tools/quillet-check/lint_finding.h"

namespace quillet {

const char kAllowCommentWord[] = "quillet-check: allow";

namespace {

// Every check by its name; docs/update-script.md lists them with what each
// reports. Names are stable: scripts silence checks by them.
const char* const kCheckNames[] = {
    // the file itself
    "encoding", "nul-byte", "lone-cr", "eof-mark",
    // lines Quillet ignores or cuts
    "not-keyword", "blank-before-keyword", "long-line", "blank-after-colon",
    // source, target and shared current values
    "no-source", "no-value", "unused-source", "shared-value", "unused-value", "param-not-passed",
    // paths and names
    "media-missing", "launch-missing", "path-root", "path-backslash", "path-slash",
    "path-quotes", "value-comment", "full-width", "link-extension", "link-to-media",
    "folder-order", "process-system",
    // registry
    "registry-hive", "registry-backslash",
    // values and settings
    "flag-value", "number-value", "phase-word", "version-format", "version-range",
    "model-none", "model-word", "setting-repeated",
    // the reader's tables
    "table-full",
    // the silencing comments themselves
    "unknown-check",
};

}  // namespace

bool isLintCheckName(const std::string& name) {
  for (const char* known : kCheckNames)
    if (name == known) return true;
  return false;
}

}  // namespace quillet
