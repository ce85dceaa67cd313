#include "host/riphost/ticket.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>

#include "raster/job/host_contract.h"

namespace riphost {
namespace {

const std::set<std::string> kNames = {
    "input_planes", "input_colour_type", "output_planes", "ink_set", "resolution1", "resolution2",
    "left_offset",  "top_offset",        "mirror",        "screening", "layout_path", "device_name",
    "mode_name",    "colour_adjust_id",  "screen_id",     "bits_per_pixel", "document_name",
    "printer_name", "width",             "height",        "plane_count", "magic", "stop_waiting"};

std::string trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

void put16(std::vector<std::uint8_t>& b, std::size_t at, int v) {
  b[at] = std::uint8_t(v);
  b[at + 1] = std::uint8_t(v >> 8);
}

void put32(std::vector<std::uint8_t>& b, std::size_t at, int v) {
  for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(std::uint32_t(v) >> (8 * i));
}

void putWide(std::vector<std::uint8_t>& b, std::size_t at, const std::string& utf8) {
  std::u16string w = widen(utf8);
  if (w.size() > 259) w.resize(259);
  for (std::size_t i = 0; i < w.size(); ++i) put16(b, at + 2 * i, w[i]);
}

}  // namespace

int Ticket::number(const std::string& name, int fallback) const {
  auto it = values.find(name);
  return it == values.end() ? fallback : int(std::strtol(it->second.c_str(), nullptr, 0));
}

std::string Ticket::text(const std::string& name, const std::string& fallback) const {
  auto it = values.find(name);
  return it == values.end() ? fallback : it->second;
}

std::u16string widen(const std::string& s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = s[i];
    std::uint32_t cp;
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : 3;
    cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k <= extra && i + k < s.size(); ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    i += std::size_t(extra) + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(char16_t(0xD800 + (cp >> 10)));
      out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(char16_t(cp));
    }
  }
  return out;
}

bool readTicket(const std::string& path, Ticket& ticket, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read the ticket " + path;
    return false;
  }
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);  // UTF-8 byte-order mark
    std::string t = trim(line);
    if (t.empty() || t[0] == '#') continue;
    std::size_t eq = t.find('=');
    if (eq == std::string::npos) {
      error = "ticket line " + std::to_string(number) + ": expected name = value";
      return false;
    }
    std::string name = trim(t.substr(0, eq));
    if (!kNames.count(name)) {
      error = "ticket line " + std::to_string(number) + ": unknown name " + name;
      return false;
    }
    ticket.values[name] = trim(t.substr(eq + 1));
  }
  return true;
}

std::vector<std::uint8_t> buildParamBlock(const Ticket& t) {
  std::vector<std::uint8_t> b(PLEXOR_PARAM_BLOCK_SIZE, 0);
  std::string magic = t.text("magic", "NVPMD");
  std::memcpy(b.data(), magic.c_str(), std::min<std::size_t>(magic.size() + 1, 6));
  b[PPB_INPUT_PLANES] = std::uint8_t(t.number("input_planes", 4));
  b[PPB_INPUT_COLOUR_TYPE] = std::uint8_t(t.number("input_colour_type", 2));
  b[PPB_OUTPUT_PLANES] = std::uint8_t(t.number("output_planes", 4));
  b[PPB_INK_SET] = std::uint8_t(t.number("ink_set", 2));
  put16(b, PPB_RESOLUTION1, t.number("resolution1", 720));
  put16(b, PPB_RESOLUTION2, t.number("resolution2", 720));
  put32(b, PPB_LEFT_OFFSET, t.number("left_offset", 0));
  put32(b, PPB_TOP_OFFSET, t.number("top_offset", 0));
  b[PPB_MIRROR] = std::uint8_t(t.number("mirror", 0));
  b[PPB_SCREENING] = std::uint8_t(t.number("screening", 3));
  std::string layout = t.text("layout_path");
  std::memcpy(b.data() + PPB_LAYOUT_PATH, layout.c_str(),
              std::min<std::size_t>(layout.size(), PPB_LAYOUT_PATH_END - PPB_LAYOUT_PATH - 1));
  putWide(b, PPB_DEVICE_NAME, t.text("device_name", "riphost"));
  putWide(b, PPB_MODE_NAME, t.text("mode_name"));
  put32(b, PPB_COLOR_ADJUST_ID, t.number("colour_adjust_id", 1));
  put32(b, PPB_SCREEN_ID, t.number("screen_id", 1));
  b[PPB_BITS_PER_PIXEL] = std::uint8_t(t.number("bits_per_pixel", 1));
  putWide(b, PPB_DOCUMENT_NAME, t.text("document_name", "riphost"));
  b[PPB_STOP_WAITING] = std::uint8_t(t.number("stop_waiting", 0));
  return b;
}

}  // namespace riphost
