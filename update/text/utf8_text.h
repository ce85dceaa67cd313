#pragma once
// Showing ANSI texts: conversion to UTF-8 that never loses the whole text.
#include <string>

#include "update/ports/code_page.h"

namespace quillet {

// The UTF-8 form of the ANSI text; characters that do not convert become
// U+FFFD, the rest of the text is kept.
std::string toUtf8Lenient(const std::string& ansi, const CodePage& codePage);

}  // namespace quillet
