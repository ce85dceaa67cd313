// The job ticket of the RIP host: `name = value` lines naming the parameter
// block fields, the device's printer name and the page size.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace riphost {

struct Ticket {
  std::map<std::string, std::string> values;
  int number(const std::string& name, int fallback) const;
  std::string text(const std::string& name, const std::string& fallback = "") const;
};

// Reads the ticket; false with a message when a line is malformed or a name unknown.
bool readTicket(const std::string& path, Ticket& ticket, std::string& error);
// The 4100-byte parameter block the ticket describes.
std::vector<std::uint8_t> buildParamBlock(const Ticket& ticket);
// UTF-8 to UTF-16 (for the block's wide texts).
std::u16string widen(const std::string& utf8);

}  // namespace riphost
