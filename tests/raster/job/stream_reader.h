// Reads a printer command stream back into plane rows: an independent
// decoder of the raster transfers (method 0 raw, method 2 PackBits), so that
// tests can check the dots a job printed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexmoor::testing {

struct DecodedPage {
  // planes in stream order (K, C, M, Y), each a list of rows
  std::vector<std::vector<std::uint8_t>> rows[4];
  std::size_t rowCount[4] = {};  // rows read, kept or skipped
  bool ok = true;
};

inline std::vector<std::uint8_t> unpackBits(const std::uint8_t* p, std::size_t n) {
  std::vector<std::uint8_t> out;
  std::size_t i = 0;
  while (i < n) {
    auto h = static_cast<std::int8_t>(p[i++]);
    if (h >= 0) {
      for (int k = 0; k <= h && i < n; ++k) out.push_back(p[i++]);
    } else if (h != -128 && i < n) {
      out.insert(out.end(), std::size_t(1 - h), p[i++]);
    }
  }
  return out;
}

// The first skipRows rows of each plane are counted but not kept.
inline DecodedPage decodeRows(const std::string& stream, std::size_t skipRows = 0) {
  DecodedPage page;
  const auto* s = reinterpret_cast<const std::uint8_t*>(stream.data());
  std::size_t i = stream.find("\x1b*r1A");
  if (i == std::string::npos) return page.ok = false, page;
  i += 5;
  int method = 0, plane = 0;
  while (i + 3 < stream.size() && s[i] == 0x1b && s[i + 1] == '*' && s[i + 2] == 'b') {
    std::size_t j = i + 3;
    long value = 0;
    while (j < stream.size() && s[j] >= '0' && s[j] <= '9') value = value * 10 + (s[j++] - '0');
    char command = char(s[j++]);
    if (command == 'M') {
      method = int(value);
      i = j;
      continue;
    }
    if ((command != 'V' && command != 'W') || j + std::size_t(value) > stream.size()) return page.ok = false, page;
    if (page.rowCount[plane]++ >= skipRows)
      page.rows[plane].push_back(method == 2 ? unpackBits(s + j, std::size_t(value))
                                             : std::vector<std::uint8_t>(s + j, s + j + value));
    plane = command == 'W' ? 0 : plane + 1;
    if (plane > 3) return page.ok = false, page;
    i = j + std::size_t(value);
  }
  return page;
}

inline double dotShare(const std::vector<std::vector<std::uint8_t>>& rows, int pixels) {
  long dots = 0;
  for (auto& r : rows)
    for (int x = 0; x < pixels && x / 8 < int(r.size()); ++x) dots += (r[std::size_t(x / 8)] >> (7 - x % 8)) & 1;
  return rows.empty() ? 0.0 : double(dots) / (double(pixels) * double(rows.size()));
}

}  // namespace vexmoor::testing
