#pragma once
// The message a failed run shows: what failed, in the user's words, and
// whether everything was put back. A failed copy keeps its own message.
#include <string>

#include "update/journal/journal_failure.h"

namespace quillet {

// UTF-8; journal names the journal key, for a journal that could not be
// written.
std::string failureMessage(const JournalFailure& failure, const std::string& journal);

}  // namespace quillet
