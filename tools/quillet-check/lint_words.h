#pragma once
// Small wording helpers the lint's messages share.
#include <string>

namespace quillet {

inline std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// "1st", "2nd", "3rd", "11th", ...
std::string ordinal(int n);

// The text with control bytes shown as \xNN (a tab as \t), for quoting a
// line whatever it holds.
std::string escapedControls(const std::string& text);

}  // namespace quillet
