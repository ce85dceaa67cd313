// What riphost works out about a job from its parameter block: the row
// length of the pre-screened bands the module will read, and why the module
// refuses a job or a band, for a message that names the cause.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace riphost {

// Bytes of a pre-screened row as the module reads it. With a copy layout
// that the module takes, the page is the layout's (often wider than the
// ticket's); otherwise it is the ticket's width plus left offset. The
// module's own layout loader decides, so riphost never guesses differently.
long long moduleRowLength(const std::vector<std::uint8_t>& block, int width, int leftOffset, int bitsPerPixel);

// Why InitPrinter_16_FUNC refuses a job whose inks would not all reach the
// printer; empty when the block shows no such cause.
std::string openRefusal(const std::vector<std::uint8_t>& block);

// Why WritePrinter_16_FUNC refuses continuous-tone bands; empty when it
// should take them.
std::string writeRefusal(const std::vector<std::uint8_t>& block);

}  // namespace riphost
