#include "tools/quillet-check/lint_paths.h"

#include "tools/quillet-check/full_width.h"
#include "tools/quillet-check/lint_slot_rules.h"
#include "tools/quillet-check/lint_words.h"
#include "update/script/script_keywords.h"
#include "update/text/mbcs_text.h"
#include "update/text/utf8_text.h"

namespace quillet {

namespace {

// What a value names, which decides what a mistake in it costs.
enum class Role { kOther, kCopiedSource, kOptionalSource, kTarget, kFolder, kLaunch, kLink, kName, kKey };

Role roleOf(int code) {
  if (isAlwaysCopiedSource(code)) return Role::kCopiedSource;
  if (code == kKwReplace || code == kKwOverwrite || code == kKwRemove || code == kKwToolShortcut)
    return Role::kOptionalSource;
  if (isTargetKeyword(code)) return Role::kTarget;
  if (code == kKwFolderInWork) return Role::kFolder;
  if (code == kKwGoExe || code == kKwGoExeParam) return Role::kLaunch;
  if (isShortcutKeyword(code)) return Role::kLink;
  if (code == kKwStartSvc || code == kKwStopSvc || code == kKwTermProc) return Role::kName;
  if (code == kKwAddKey || code == kKwSetKey) return Role::kKey;
  return Role::kOther;
}

bool isPath(Role role) {
  return role == Role::kCopiedSource || role == Role::kOptionalSource || role == Role::kTarget ||
         role == Role::kFolder || role == Role::kLaunch;
}

// Mistakes in these fail the update on every machine.
bool failsEverywhere(Role role) {
  return role == Role::kCopiedSource || role == Role::kTarget || role == Role::kFolder;
}

// What a value Windows cannot find costs, in the author's terms.
std::string costOf(Role role) {
  switch (role) {
    case Role::kCopiedSource:
      return "no such file is on the media: Quillet refuses the media (exit 1620)";
    case Role::kOptionalSource:
      return "no such file is there: where the target is installed the update fails or does"
             " something else";
    case Role::kTarget:
      return "no such folder exists: the copy fails and the update is put back (exit 1603)";
    case Role::kFolder:
      return "the folder cannot be made: the update is put back (exit 1603)";
    case Role::kLaunch:
      return "the program does not start (the update goes on, exit 0)";
    case Role::kName: return "nothing on the machine is named so";
    case Role::kKey: return "the registry key is another one";
    default: return "Quillet takes it as part of the value";
  }
}

LintFinding finding(Role role, const char* check, std::string text) {
  return failsEverywhere(role) ? lintError(check, std::move(text))
                               : lintWarning(check, std::move(text));
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The position of a "#" after a blank, on a character boundary.
std::size_t commentStart(const std::string& value, const CodePage& cp) {
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '#' && i > 0 && isBlank(value[i - 1])) return i;
    if (cp.isLeadByte(static_cast<unsigned char>(value[i]))) ++i;
  }
  return kNotFound;
}

bool startsWithIgnoringCase(const std::string& text, const char* prefix) {
  const std::string p(prefix);
  return text.size() >= p.size() && equalsIgnoringAsciiCase(text.substr(0, p.size()), p);
}

bool endsWithIgnoringCase(const std::string& text, const char* suffix) {
  const std::string s(suffix);
  return text.size() >= s.size() &&
         equalsIgnoringAsciiCase(text.substr(text.size() - s.size()), s);
}

bool isDrivePath(const std::string& value) {
  const char c = value.empty() ? 0 : value[0];
  return value.size() >= 2 && value[1] == ':' && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
}

// The hive names a key may wrongly start with.
const char* const kHives[] = {"HKEY_LOCAL_MACHINE\\", "HKLM\\", "HKEY_CURRENT_USER\\", "HKCU\\",
                              "HKEY_CLASSES_ROOT\\", "HKCR\\", "HKEY_USERS\\", "HKU\\"};

void keyFindings(int code, const std::string& value, const std::string& line,
                 std::vector<LintFinding>* out) {
  for (const char* hive : kHives) {
    if (!startsWithIgnoringCase(value, hive)) continue;
    const std::string rest = value.substr(std::string(hive).size());
    out->push_back(lintWarning(
        "registry-hive",
        quoted(line) + " starts with a hive: Quillet works below HKEY_LOCAL_MACHINE already, so"
        " this names the key HKLM\\" + value + "; write " +
        quoted(std::string(scriptKeywordText(code)) + rest)));
    return;
  }
  if (!value.empty() && value[0] == '\\') {
    out->push_back(lintError(
        "registry-backslash",
        quoted(line) + " starts with a backslash: the registry refuses such a key (error 161),"
        " so creating it or writing a value under it fails and the update is put back"
        " (exit 1603); write " + quoted(std::string(scriptKeywordText(code)) +
                                       value.substr(value.find_first_not_of('\\')))));
  }
}

}  // namespace

bool isAlwaysCopiedSource(int code) { return code == kKwFile || code == kKwPatch; }

std::vector<LintFinding> pathFindings(int code, const std::string& value, const CodePage& cp) {
  std::vector<LintFinding> out;
  const Role role = roleOf(code);
  const std::string keyword = scriptKeywordText(code);
  const std::string line = toUtf8Lenient(escapedControls(keyword + value), cp);
  // Free texts may hold a "#"; elsewhere it is a comment that is none.
  const bool freeText = code == kKwAddSZValue || code == kKwPatchName ||
                        code == kKwVolumeLabel || code == kKwPatchSetInfo ||
                        code == kKwPatchDelAll || code == kKwTargetModel;
  const std::size_t hash = freeText ? kNotFound : commentStart(value, cp);
  if (hash != kNotFound) {
    std::string kept = value.substr(0, hash);
    kept.erase(kept.find_last_not_of(" \t") + 1);
    out.push_back(finding(role, "value-comment",
                          quoted(toUtf8Lenient(value.substr(hash), cp)) +
                              " is part of the value (\"#\" starts a comment only at the start"
                              " of a line): " + costOf(role) + "; write " +
                              quoted(toUtf8Lenient(keyword + kept, cp)) +
                              " and the comment on a line of its own"));
    return out;  // the rest of the judgement would be about the comment
  }
  if (role == Role::kKey) {
    keyFindings(code, value, line, &out);
    if (firstCharIndex(value, '/', cp) != kNotFound)
      out.push_back(lintWarning("path-slash", quoted(line) + ": \"/\" is part of a key name in"
                                              " the registry, not a separator; write \"\\\""));
    return out;
  }
  if (!isPath(role) && role != Role::kName && role != Role::kLink) return out;

  if (firstCharIndex(value, '"', cp) != kNotFound) {
    out.push_back(finding(role, "path-quotes",
                          quoted(line) + ": the quotes are part of the name, and no file or"
                          " folder name holds one: " + costOf(role) + "; write it without quotes"));
    return out;
  }
  bool fullWidth = false;
  const std::string narrowed = role == Role::kName ? narrowFullWidth(value, cp, &fullWidth)
                                                   : narrowFullWidthSeparators(value, cp, &fullWidth);
  if (fullWidth) {
    out.push_back(lintWarning("full-width",
                              quoted(line) + " holds full-width characters (typed with a"
                              " Japanese input method): " + costOf(role) + "; write " +
                              quoted(toUtf8Lenient(keyword + narrowed, cp))));
  }
  if (role == Role::kLink) {
    if (endsWithIgnoringCase(value, ".lnk") || endsWithIgnoringCase(value, ".url"))
      out.push_back(lintWarning(
          "link-extension",
          quoted(line) + ": Quillet adds the extension itself, so the shortcut is named " +
              quoted(toUtf8Lenient(value, cp) +
                     (code == kKwDesktopName || code == kKwPxMenuName ? ".url" : ".lnk")) +
              "; write " + quoted(toUtf8Lenient(keyword + value.substr(0, value.size() - 4), cp))));
    return out;
  }
  if (!isPath(role)) return out;

  if (isDrivePath(value) || (value.size() >= 2 && value[0] == '\\' && value[1] == '\\')) {
    out.push_back(finding(role, "path-root",
                          quoted(line) + " is a drive or network path, but Quillet puts the"
                          " value below its folder (the media, the work folder, ...): " +
                          costOf(role) + "; give the path relative to that folder"));
    return out;
  }
  const std::size_t slash = firstCharIndex(value, '/', cp);
  if (slash != kNotFound) {
    const bool nameHasSlash = firstCharIndex(fileNameOf(value, cp), '/', cp) != kNotFound;
    const std::string fixed = [&] {
      std::string t = keyword + value;
      for (std::size_t i = firstCharIndex(t, '/', cp); i != kNotFound; i = firstCharIndex(t, '/', cp))
        t[i] = '\\';
      return toUtf8Lenient(t, cp);
    }();
    if (role == Role::kCopiedSource && nameHasSlash)
      out.push_back(lintError("path-slash",
                              quoted(line) + ": Quillet splits paths only at \"\\\", so the file"
                              " name is " + quoted(toUtf8Lenient(fileNameOf(value, cp), cp)) +
                              " and every target becomes a folder that does not exist: the copy"
                              " fails and the update is put back (exit 1603); write " + quoted(fixed)));
    else
      out.push_back(lintWarning("path-slash", quoted(line) + ": write paths with \"\\\", as"
                                              " Quillet splits them: " + quoted(fixed)));
  }
  const bool isSource = role == Role::kCopiedSource || role == Role::kOptionalSource;
  if (!value.empty() && value[0] == '\\' && !isSource) {
    out.push_back(lintWarning("path-backslash",
                              quoted(line) + ": Quillet adds the backslash itself, so the path"
                              " gets two; write " +
                              quoted(toUtf8Lenient(keyword + value.substr(1), cp))));
  } else if (!value.empty() && lastCharIndex(value, '\\', cp) == value.size() - 1) {
    if (isSource)
      out.push_back(finding(role, "path-backslash",
                            quoted(line) + " ends in a backslash: it names a folder and no"
                            " file: " + costOf(role) + "; name the file"));
    else
      out.push_back(lintWarning("path-backslash",
                                quoted(line) + ": Quillet adds the backslash itself, so the path"
                                " gets two; write " +
                                quoted(toUtf8Lenient(keyword + value.substr(0, value.size() - 1), cp))));
  } else if (!value.empty() && value[0] == '\\') {
    out.push_back(lintWarning("path-backslash",
                          quoted(line) + " starts with a backslash: Quillet adds one itself; "
                          "write " + quoted(toUtf8Lenient(keyword + value.substr(1), cp))));
  }
  return out;
}

}  // namespace quillet
