#pragma once
// quillet-check --seal MEDIA_DIR: writes MEDIA_DIR/quillet.sha256, the list
// of checksums of quillet.txt, title.bmp when present and every media file
// the script copies on any system (its NT 4 and 2000 lines included), in
// the format "sha256sum -c" checks.
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "tools/quillet-check/media_reader.h"
#include "update/ports/clock_port.h"

namespace quillet {

// The longest script sealed: no update script comes near it, and the
// script is the one file read whole.
constexpr std::size_t kLargestScript = 16 * 1024 * 1024;

// The list's text for the media whose script is scriptBytes (listed with
// the digest of these very bytes); false with *error when the script cannot
// be read, a file it copies cannot be, or title.bmp is there but cannot be.
bool sealMediaList(const std::string& scriptBytes, const MediaReader& read, ClockPort& clock,
                   std::string* list, std::string* error);

// True when the command line asks for sealing (its first word is --seal).
bool isSealRequest(const std::vector<std::string>& args);

// The whole --seal run: 0 written, 1 the media cannot be sealed, 2 a usage
// error or a list that cannot be written.
int runSeal(const std::vector<std::string>& args, ClockPort& clock, std::ostream& out,
            std::ostream& err);

}  // namespace quillet
