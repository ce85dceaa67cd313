#include "update/journal/journal_entry.h"

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

}  // namespace

std::string encodeJournalEntry(const JournalEntry& entry) {
  std::string out;
  out.push_back(static_cast<char>(entry.kind));
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
  return out;
}

bool decodeJournalEntry(const std::string& bytes, JournalEntry* entry) {
  Reader in(bytes);
  std::uint8_t kind = 0;
  std::uint32_t count = 0;
  JournalEntry read;
  if (!in.byte(&kind) || kind < 1 || kind > 9) return false;
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

}  // namespace quillet
