#pragma once
// Whether a source line's file is on the update media, looked up on the
// machine that checks the script.
#include <string>

#include "update/ports/code_page.h"

namespace quillet {

// True when folder + relativePath (a script value: backslashes, cp932 bytes)
// names a regular file here. Windows finds names in any letter case; so does
// this lookup on other hosts, one path component at a time. There names are
// UTF-8: a non-ASCII name is looked up in its UTF-8 form (as media copied to
// such a host are named), and as its bytes only when those are not UTF-8 as
// well (else a script saved as UTF-8 would find a file Windows does not).
bool mediaFileExists(const std::string& folder, const std::string& relativePath,
                     const CodePage& codePage);

}  // namespace quillet
