#include "update/journal/journal_entry.h"

#include <array>

namespace quillet {
namespace {

void putNumber(std::string* out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<char>(value >> shift));
}

void putText(std::string* out, const std::string& text) {
  putNumber(out, static_cast<std::uint32_t>(text.size()));
  out->append(text);
}

class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  bool number(std::uint32_t* value) {
    if (bytes_.size() - at_ < 4) return false;
    *value = 0;
    for (int i = 3; i >= 0; --i) {
      *value = *value << 8 | static_cast<unsigned char>(bytes_[at_ + i]);
    }
    at_ += 4;
    return true;
  }
  bool text(std::string* value) {
    std::uint32_t size = 0;
    if (!number(&size) || bytes_.size() - at_ < size) return false;
    value->assign(bytes_, at_, size);
    at_ += size;
    return true;
  }
  bool byte(std::uint8_t* value) {
    if (at_ >= bytes_.size()) return false;
    *value = static_cast<std::uint8_t>(bytes_[at_++]);
    return true;
  }
  bool atEnd() const { return at_ == bytes_.size(); }

 private:
  const std::string& bytes_;
  std::size_t at_ = 0;
};

constexpr std::uint8_t kLastKind = 12;
// The stored kinds of exact before-images.
constexpr std::uint8_t kExactValueChanged = 11;
constexpr std::uint8_t kExactKeyDeleted = 12;
constexpr std::uint8_t kLastFormat0Kind = 9;
const char kMagic[] = "QJ";
constexpr std::size_t kHeaderBytes = 3;
constexpr std::size_t kChecksumBytes = 4;

// The entry itself, after the header: false when it is not whole.
bool decodePayload(const std::string& bytes, std::uint8_t lastKind, JournalEntry* entry,
                   bool* unknownKind) {
  Reader in(bytes);
  std::uint8_t kind = 0;
  std::uint32_t count = 0;
  JournalEntry read;
  if (!in.byte(&kind) || kind < 1) return false;
  if (kind > lastKind) {
    *unknownKind = true;
    return false;
  }
  read.exact = kind == kExactValueChanged || kind == kExactKeyDeleted;
  if (kind == kExactValueChanged) kind = static_cast<std::uint8_t>(JournalKind::kValueChanged);
  if (kind == kExactKeyDeleted) kind = static_cast<std::uint8_t>(JournalKind::kKeyDeleted);
  read.kind = static_cast<JournalKind>(kind);
  if (!in.text(&read.path) || !in.text(&read.other) || !in.number(&read.number) ||
      !in.number(&read.type) || !in.text(&read.data) || !in.number(&count)) {
    return false;
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    JournalValue value;
    if (!in.text(&value.name) || !in.number(&value.type) || !in.text(&value.data)) return false;
    read.values.push_back(value);
  }
  if (!in.atEnd()) return false;
  *entry = read;
  return true;
}

}  // namespace

std::uint32_t crc32Update(std::uint32_t state, const char* data, std::size_t size) {
  // The reflected polynomial's table, made once.
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> made{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int bit = 0; bit < 8; ++bit) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
      made[n] = c;
    }
    return made;
  }();
  for (std::size_t at = 0; at < size; ++at) {
    state = table[(state ^ static_cast<unsigned char>(data[at])) & 0xFFu] ^ (state >> 8);
  }
  return state;
}

std::uint32_t crc32(const std::string& bytes, std::size_t size) {
  return ~crc32Update(0xFFFFFFFFu, bytes.data(), size < bytes.size() ? size : bytes.size());
}

std::string encodeJournalEntry(const JournalEntry& entry) {
  std::string out(kMagic);
  out.push_back(static_cast<char>(kJournalFormat));
  std::uint8_t kind = static_cast<std::uint8_t>(entry.kind);
  if (entry.exact && entry.kind == JournalKind::kValueChanged) kind = kExactValueChanged;
  if (entry.exact && entry.kind == JournalKind::kKeyDeleted) kind = kExactKeyDeleted;
  out.push_back(static_cast<char>(kind));
  putText(&out, entry.path);
  putText(&out, entry.other);
  putNumber(&out, entry.number);
  putNumber(&out, entry.type);
  putText(&out, entry.data);
  putNumber(&out, static_cast<std::uint32_t>(entry.values.size()));
  for (const JournalValue& value : entry.values) {
    putText(&out, value.name);
    putNumber(&out, value.type);
    putText(&out, value.data);
  }
  putNumber(&out, crc32(out, out.size()));
  return out;
}

JournalDecode decodeJournalRecord(const std::string& bytes, JournalEntry* entry) {
  bool unknownKind = false;
  if (bytes.compare(0, 2, kMagic) != 0) {
    // Format 0: no header; the first byte is the kind.
    if (decodePayload(bytes, kLastFormat0Kind, entry, &unknownKind)) return JournalDecode::kWhole;
    return JournalDecode::kCutShort;
  }
  if (bytes.size() < kHeaderBytes) return JournalDecode::kCutShort;
  if (static_cast<std::uint8_t>(bytes[2]) != kJournalFormat) return JournalDecode::kUnknownFormat;
  if (bytes.size() < kHeaderBytes + kChecksumBytes) return JournalDecode::kCutShort;
  const std::size_t body = bytes.size() - kChecksumBytes;
  std::uint32_t stored = 0;
  for (int i = 3; i >= 0; --i) stored = stored << 8 | static_cast<unsigned char>(bytes[body + i]);
  if (stored != crc32(bytes, body)) return JournalDecode::kCutShort;
  if (decodePayload(bytes.substr(kHeaderBytes, body - kHeaderBytes), kLastKind, entry,
                    &unknownKind)) {
    return JournalDecode::kWhole;
  }
  // A record whose checksum holds was written whole: a kind this tool does
  // not know comes from a newer one.
  return unknownKind ? JournalDecode::kUnknownFormat : JournalDecode::kCutShort;
}

bool decodeJournalEntry(const std::string& bytes, JournalEntry* entry) {
  return decodeJournalRecord(bytes, entry) == JournalDecode::kWhole;
}

}  // namespace quillet
