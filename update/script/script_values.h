#pragma once
// The kinds of value a script line carries.
#include <cstddef>
#include <string>

#include "update/ports/code_page.h"
#include "update/script/update_job.h"

namespace quillet {

// A version value is held in a 16-byte field while it is read: longer values
// are cut to their first 15 bytes before they are parsed.
constexpr std::size_t kVersionValueMax = 15;

// True for exactly "1", or "on" / "true" in any letter case.
int parseScriptBoolean(const std::string& value);

// major * 100 + minor of the (cut) value; malformed parts count as 0.
int parseScriptVersion(const std::string& value);

// The bits of every model code found in the upper-cased value, starting from
// the empty set. Codes match as substrings that start on a character
// boundary.
int parseModelSet(const std::string& value, const ModelRow* table, const CodePage& codePage);

// 1 "previous", 2 "beforecopy", 3 "aftercopy" (any letter case), else 4.
int parsePhaseWord(const std::string& value);

// The text after the last "." (the whole value when it has none).
std::string extensionOf(const std::string& value, const CodePage& codePage);

// True when the upper-cased extension is "VBS" or "JS": the value is run
// through the system's script host.
bool isScriptHostFile(const std::string& value, const CodePage& codePage);

}  // namespace quillet
