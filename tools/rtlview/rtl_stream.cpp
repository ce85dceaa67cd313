#include "tools/rtlview/rtl_stream.h"

#include <cctype>
#include <cstring>

namespace rtlview {
namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kBel = 0x07;
constexpr std::size_t kMaxProblems = 50;

// One parsed command.
struct Command {
  enum Kind { kVendor, kReset, kMode, kParam, kPageAdvance, kBad, kEnd };
  Kind kind = kBad;
  std::size_t offset = 0;
  std::string name;      // vendor: "Kavex_PM", "ID", ...; param: group + letter, e.g. "rS", "bV"
  std::string text;      // vendor argument text ("250", ",1")
  long value = 0;        // mode and param: the number
  bool negative = false; // param written with a sign
  std::string why;       // kBad: what is wrong
};

std::string describe(const Command& c) {
  switch (c.kind) {
    case Command::kVendor: return c.name == "Kavex_PM" ? "BEL \"Kavex_PM\"" : "\"*" + c.name + c.text + ";\"";
    case Command::kReset: return "ESC \"E\"";
    case Command::kMode: return "ESC \"%" + std::to_string(c.value) + c.name + "\"";
    case Command::kParam:
      return "ESC \"*" + c.name.substr(0, 1) + (c.negative ? "-" : "") + std::to_string(c.value) + c.name.substr(1) + "\"";
    case Command::kPageAdvance: return "\"PG;\"";
    case Command::kEnd: return "end of data";
    case Command::kBad: return "unreadable bytes";
  }
  return "?";
}

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : d_(data), n_(size) {}
  std::size_t position() const { return p_; }
  void skip(std::size_t k) { p_ += k; }
  std::size_t left() const { return n_ - p_; }
  const std::uint8_t* here() const { return d_ + p_; }

  Command next() {
    Command c;
    c.offset = p_;
    if (p_ >= n_) {
      c.kind = Command::kEnd;
      return c;
    }
    const std::uint8_t b = d_[p_];
    if (b == kBel) {
      if (matches(p_ + 1, "Kavex_PM")) {
        p_ += 9;
        c.kind = Command::kVendor;
        c.name = "Kavex_PM";
        return c;
      }
      return bad(c, "BEL not followed by \"Kavex_PM\"");
    }
    if (b == '*') return vendor(c);
    if (b == 'P') {
      if (matches(p_, "PG;")) {
        p_ += 3;
        c.kind = Command::kPageAdvance;
        return c;
      }
      return bad(c, "unknown text command");
    }
    if (b != kEsc) return bad(c, "byte " + hex(b) + " where a command should start");
    if (p_ + 1 >= n_) return bad(c, "ESC at the end of the data");
    const std::uint8_t kind = d_[p_ + 1];
    if (kind == 'E') {
      p_ += 2;
      c.kind = Command::kReset;
      return c;
    }
    if (kind == '%') {
      std::size_t q = p_ + 2;
      long v = 0;
      if (!number(q, v)) return bad(c, "ESC % without a number");
      if (q >= n_ || (d_[q] != 'A' && d_[q] != 'B')) return bad(c, "ESC % n not ended by A or B");
      c.kind = Command::kMode;
      c.value = v;
      c.name = std::string(1, static_cast<char>(d_[q]));
      p_ = q + 1;
      return c;
    }
    if (kind == '*') {
      if (p_ + 2 >= n_) return bad(c, "ESC * at the end of the data");
      const char group = static_cast<char>(d_[p_ + 2]);
      if (group != 'r' && group != 'b') return bad(c, std::string("unknown command group ESC *") + group);
      std::size_t q = p_ + 3;
      bool negative = false;
      if (q < n_ && (d_[q] == '-' || d_[q] == '+')) {
        negative = d_[q] == '-';
        ++q;
      }
      long v = 0;
      const bool hasNumber = number(q, v);
      if (q >= n_) return bad(c, "command cut off by the end of the data");
      const char letter = static_cast<char>(d_[q]);
      if (std::islower(static_cast<unsigned char>(letter)))
        return bad(c, "combined parameters (lower-case letter) are not used by this printer");
      if (!std::isupper(static_cast<unsigned char>(letter))) return bad(c, "command without a terminating letter");
      if (!hasNumber && !(group == 'r' && letter == 'C')) return bad(c, "command without a value");
      c.kind = Command::kParam;
      c.name = std::string(1, group) + letter;
      c.value = negative ? -v : v;
      c.negative = negative;
      p_ = q + 1;
      return c;
    }
    return bad(c, "unknown escape sequence ESC " + hex(kind));
  }

 private:
  Command vendor(Command& c) {
    // "*" two capital letters, argument text, ";".
    if (p_ + 3 >= n_ || !std::isupper(d_[p_ + 1]) || !std::isupper(d_[p_ + 2]))
      return bad(c, "\"*\" not followed by a command name");
    std::size_t q = p_ + 3;
    std::string text;
    while (q < n_ && d_[q] != ';' && text.size() < 32) text += static_cast<char>(d_[q++]);
    if (q >= n_ || d_[q] != ';') return bad(c, "text command without \";\"");
    c.kind = Command::kVendor;
    c.name = std::string(reinterpret_cast<const char*>(d_ + p_ + 1), 2);
    c.text = text;
    p_ = q + 1;
    return c;
  }
  bool matches(std::size_t at, const char* s) const {
    const std::size_t k = std::strlen(s);
    return at + k <= n_ && std::memcmp(d_ + at, s, k) == 0;
  }
  bool number(std::size_t& q, long& v) const {
    const std::size_t start = q;
    v = 0;
    while (q < n_ && std::isdigit(d_[q]) && q - start < 10) v = v * 10 + (d_[q++] - '0');
    return q > start;
  }
  static std::string hex(std::uint8_t b) {
    static const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[b >> 4] + digits[b & 15];
  }
  Command bad(Command& c, const std::string& why) {
    c.kind = Command::kBad;
    c.why = why;
    return c;
  }

  const std::uint8_t* d_;
  std::size_t n_;
  std::size_t p_ = 0;
};

class Decoder {
 public:
  Decoder(const std::uint8_t* data, std::size_t size) : data_(data), reader_(data, size) {}

  DecodedStream run() {
    if (header()) body();
    if (s_.trailerSeen) {
      const Command c = reader_.next();
      if (c.kind != Command::kEnd) problem(c.offset, "data after the job trailer: " + describe(c));
    }
    return s_;
  }

 private:
  void problem(std::size_t offset, const std::string& message) {
    if (s_.problems.size() < kMaxProblems) s_.problems.push_back({offset, message});
    else if (s_.problems.size() == kMaxProblems) s_.problems.push_back({offset, "further problems not listed"});
  }

  bool expect(const Command& c, bool ok, const std::string& wanted) {
    if (c.kind == Command::kBad) {
      problem(c.offset, c.why);
      return false;
    }
    if (!ok) {
      problem(c.offset, "job header: expected " + wanted + ", found " + describe(c));
      return false;
    }
    return true;
  }

  static bool isVendor(const Command& c, const char* name) { return c.kind == Command::kVendor && c.name == name; }
  static bool isParam(const Command& c, const char* name) { return c.kind == Command::kParam && c.name == name; }
  static bool plainNumber(const std::string& t, long& v) {
    if (t.empty() || t.size() > 9) return false;
    v = 0;
    for (char ch : t) {
      if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
      v = v * 10 + (ch - '0');
    }
    return true;
  }

  // The eleven job-start commands, in order.
  bool header() {
    Command c = reader_.next();
    if (!expect(c, isVendor(c, "Kavex_PM"), "BEL \"Kavex_PM\"")) return false;
    c = reader_.next();
    if (!expect(c, isVendor(c, "ID") && c.text == "250", "\"*ID250;\"")) return false;
    c = reader_.next();
    if (!expect(c, isVendor(c, "TM") && c.text == "1", "\"*TM1;\"")) return false;
    c = reader_.next();
    if (!expect(c, isVendor(c, "IP") && (c.text == ",1" || c.text == ",2"), "\"*IP,1;\" or \"*IP,2;\"")) return false;
    s_.bitsPerPixel = c.text == ",1" ? 1 : 2;
    c = reader_.next();
    long mode = 0;
    if (!expect(c, isVendor(c, "PQ") && plainNumber(c.text, mode), "\"*PQn;\" (print mode)")) return false;
    s_.printMode = static_cast<int>(mode);
    c = reader_.next();
    if (!expect(c, isVendor(c, "FF") && c.text == "0", "\"*FF0;\"")) return false;
    c = reader_.next();
    if (!expect(c, c.kind == Command::kReset, "ESC \"E\"")) return false;
    c = reader_.next();
    if (!expect(c, c.kind == Command::kMode && c.name == "A" && c.value == 0, "ESC \"%0A\"")) return false;
    c = reader_.next();
    if (!expect(c, isParam(c, "rS") && !c.negative && c.value > 0, "ESC \"*r<width>S\"")) return false;
    s_.rasterWidthBits = c.value;
    if (s_.rasterWidthBits % s_.bitsPerPixel != 0)
      problem(c.offset, "raster width " + std::to_string(c.value) + " is not a multiple of the bits per pixel");
    c = reader_.next();
    if (!expect(c, isParam(c, "rU") && c.value == -4, "ESC \"*r-4U\" (four planes)")) return false;
    s_.planes = 4;
    s_.planeRows.assign(4, {});
    c = reader_.next();
    if (!expect(c, isParam(c, "rA") && c.value == 1, "ESC \"*r1A\"")) return false;
    return true;
  }

  void body() {
    int method = -1;            // compression method of the next transfer; -1: none announced
    int planeInRow = 0;         // transfers of the current row so far
    std::size_t rowStart = 0;   // offset of the current row's first command
    for (;;) {
      const Command c = reader_.next();
      if (c.kind == Command::kBad) {
        problem(c.offset, c.why);
        return;
      }
      if (c.kind == Command::kEnd) {
        problem(c.offset, "stream ends without the job trailer");
        return;
      }
      if (isParam(c, "bM")) {
        if (method != -1) problem(c.offset, "compression method set twice before a transfer");
        if (c.value != 0 && c.value != 2) {
          problem(c.offset, "compression method " + std::to_string(c.value) + " (only 0 and 2 are used)");
          return;
        }
        method = static_cast<int>(c.value);
        continue;
      }
      if (isParam(c, "bV") || isParam(c, "bW")) {
        const bool lastPlane = c.name == "bW";
        if (c.negative) {
          problem(c.offset, "negative transfer length");
          return;
        }
        const std::size_t length = static_cast<std::size_t>(c.value);
        if (reader_.left() < length) {
          problem(c.offset, "transfer of " + std::to_string(length) + " bytes runs past the end of the data");
          return;
        }
        if (planeInRow == 0) rowStart = c.offset;
        if (method == -1) problem(c.offset, "transfer without a compression-method command before it");
        transfer(c.offset, reader_.position(), length, method == 2);
        reader_.skip(length);
        method = -1;
        ++planeInRow;
        if (lastPlane) {
          if (planeInRow != s_.planes)
            problem(rowStart, "row " + std::to_string(s_.rows) + " has " + std::to_string(planeInRow) +
                                  " planes, the header announced " + std::to_string(s_.planes));
          finishRow();
          planeInRow = 0;
        } else if (planeInRow >= s_.planes) {
          problem(c.offset, "more than " + std::to_string(s_.planes - 1) + " plane transfers before the row transfer");
        }
        continue;
      }
      if (isParam(c, "rC")) {
        if (planeInRow != 0) problem(c.offset, "raster ends inside a row");
        if (method != -1) problem(c.offset, "compression method set but no transfer followed");
        trailer(c);
        return;
      }
      problem(c.offset, "unexpected " + describe(c) + " in the raster data");
      return;
    }
  }

  void transfer(std::size_t commandOffset, std::size_t dataOffset, std::size_t length, bool packBits) {
    const std::uint8_t* bytes = data_ + dataOffset;
    if (packBits) {
      ++s_.compressedTransfers;
      // Until the first row has set the row length, only a sanity limit.
      const std::size_t limit = rowLengthKnown_ ? s_.rowBytes : std::size_t{1} << 26;
      std::size_t bad = 0;
      std::string why;
      row_.clear();
      if (!decodePackBits(bytes, length, limit, row_, bad, why)) problem(dataOffset + bad, why);
    } else {
      ++s_.rawTransfers;
      row_.assign(bytes, bytes + length);
    }
    if (!rowLengthKnown_) {
      rowLengthKnown_ = true;
      s_.rowBytes = row_.size();
      if (s_.rowBytes * 8 < static_cast<std::size_t>(s_.rasterWidthBits))
        problem(commandOffset, "row of " + std::to_string(s_.rowBytes) + " bytes is shorter than the raster width of " +
                                   std::to_string(s_.rasterWidthBits) + " bits");
    } else if (row_.size() != s_.rowBytes) {
      problem(commandOffset, "plane row decodes to " + std::to_string(row_.size()) + " bytes, other rows to " +
                                 std::to_string(s_.rowBytes));
    }
    row_.resize(s_.rowBytes, 0);
    pending_.push_back(row_);
  }

  void finishRow() {
    for (std::size_t k = 0; k < s_.planeRows.size(); ++k) {
      auto& plane = s_.planeRows[k];
      if (k < pending_.size()) plane.insert(plane.end(), pending_[k].begin(), pending_[k].end());
      else plane.insert(plane.end(), s_.rowBytes, 0);
    }
    pending_.clear();
    ++s_.rows;
  }

  void trailer(const Command& endRaster) {
    (void)endRaster;
    Command c = reader_.next();
    if (c.kind != Command::kMode || c.name != "B" || c.value != 0) {
      problem(c.offset, "job trailer: expected ESC \"%0B\", found " + (c.kind == Command::kBad ? c.why : describe(c)));
      return;
    }
    c = reader_.next();
    if (c.kind != Command::kReset) {
      problem(c.offset, "job trailer: expected ESC \"E\", found " + (c.kind == Command::kBad ? c.why : describe(c)));
      return;
    }
    c = reader_.next();
    if (c.kind != Command::kPageAdvance) {
      problem(c.offset, "job trailer: expected \"PG;\", found " + (c.kind == Command::kBad ? c.why : describe(c)));
      return;
    }
    s_.trailerSeen = true;
  }

  const std::uint8_t* data_;
  Reader reader_;
  DecodedStream s_;
  std::vector<std::uint8_t> row_;
  std::vector<std::vector<std::uint8_t>> pending_;
  bool rowLengthKnown_ = false;
};

}  // namespace

bool decodePackBits(const std::uint8_t* data, std::size_t size, std::size_t maxOut,
                    std::vector<std::uint8_t>& out, std::size_t& badOffset, std::string& message) {
  std::size_t i = 0;
  while (i < size) {
    const std::size_t at = i;
    const std::uint8_t h = data[i++];
    std::size_t count;
    bool literal;
    if (h < 0x80) {
      count = static_cast<std::size_t>(h) + 1;
      literal = true;
    } else if (h == 0x80 || h == 0x81) {
      badOffset = at;
      message = h == 0x80 ? "PackBits header 0x80" : "PackBits repeat of 128 (header 0x81)";
      return false;
    } else {
      count = 257 - static_cast<std::size_t>(h);
      literal = false;
    }
    const std::size_t needs = literal ? count : 1;
    if (size - i < needs) {
      badOffset = at;
      message = "PackBits record runs past the end of the transfer";
      return false;
    }
    if (out.size() + count > maxOut) {
      badOffset = at;
      message = "PackBits row decodes to more than " + std::to_string(maxOut) + " bytes";
      return false;
    }
    if (literal) out.insert(out.end(), data + i, data + i + count);
    else out.insert(out.end(), count, data[i]);
    i += needs;
  }
  return true;
}

DecodedStream decodeStream(const std::uint8_t* data, std::size_t size) { return Decoder(data, size).run(); }

}  // namespace rtlview
