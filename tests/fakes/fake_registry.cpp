#include "tests/fakes/fake_registry.h"

#include <algorithm>
#include <cstring>

namespace quillet {

namespace {

constexpr long kErrorInvalidParameter = 87;

bool isCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Upper-cases ASCII letters that are not trail bytes.
std::string foldName(const std::string& name) {
  std::string folded = name;
  for (std::size_t i = 0; i < folded.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(folded[i]);
    if (isCp932Lead(c) && i + 1 < folded.size()) {
      ++i;
      continue;
    }
    if (c >= 'a' && c <= 'z') folded[i] = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

std::string foldPath(const std::string& path) {
  std::string joined;
  for (const std::string& part : splitKeyPath(path)) {
    if (!joined.empty()) joined += '\\';
    joined += foldName(part);
  }
  return joined;
}

}  // namespace

std::vector<std::string> splitKeyPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string current;
  for (std::size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (isCp932Lead(c) && i + 1 < path.size()) {
      current += path[i];
      current += path[i + 1];
      ++i;
    } else if (c == '\\') {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += path[i];
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

bool sameRegistryName(const std::string& a, const std::string& b) {
  return foldName(a) == foldName(b);
}

struct FakeRegistry::Node {
  std::string name;
  std::string path;  // folded, for fault matching
  std::weak_ptr<Node> parent;
  std::vector<std::shared_ptr<Node>> children;  // kept in folded-name order
  struct Value {
    std::string name;
    std::uint32_t type;
    std::string bytes;
    // Set through the exact calls: the name and data as set (non-empty name).
    std::string exactName;
    std::string exactBytes;
  };
  std::vector<Value> values;  // in the order first set
  bool deleted = false;

  std::shared_ptr<Node> child(const std::string& childName) const {
    for (const auto& c : children)
      if (sameRegistryName(c->name, childName)) return c;
    return nullptr;
  }
  Value* value(const std::string& valueName) {
    for (auto& v : values)
      if (sameRegistryName(v.name, valueName)) return &v;
    return nullptr;
  }
};

namespace {

std::shared_ptr<FakeRegistry::Node> cloneTree(const std::shared_ptr<FakeRegistry::Node>& from,
                                              const std::shared_ptr<FakeRegistry::Node>& parent) {
  auto copy = std::make_shared<FakeRegistry::Node>();
  copy->name = from->name;
  copy->path = from->path;
  copy->parent = parent;
  copy->values = from->values;
  copy->deleted = from->deleted;
  for (const auto& child : from->children) copy->children.push_back(cloneTree(child, copy));
  return copy;
}

}  // namespace

namespace {

bool textType(std::uint32_t type) { return type == 1 || type == 2 || type == 7; }

std::string widen(const std::string& ansi) {
  std::string wide;
  for (char c : ansi) {
    wide.push_back(c);
    wide.push_back('\0');
  }
  return wide;
}

// A unit the fake's ANSI code page lacks becomes "?", as the ANSI calls do.
std::string narrow(const std::string& wide) {
  std::string ansi;
  for (std::size_t at = 0; at + 1 < wide.size(); at += 2) {
    ansi.push_back(wide[at + 1] == '\0' ? wide[at] : '?');
  }
  return ansi;
}

void exactForm(const FakeRegistry::Node::Value& v, std::string* name, std::string* bytes) {
  const bool exact = !v.exactName.empty();
  *name = exact ? v.exactName : widen(v.name);
  *bytes = exact ? v.exactBytes : textType(v.type) ? widen(v.bytes) : v.bytes;
}

}  // namespace

bool FakeRegistry::allowed() {
  if (gate == nullptr) return true;
  if (watched_ != gate) {
    watched_ = gate;
    gate->storage.push_back([this] {
      // The hive as at its last flush.
      if (!durable_) return;
      root_ = durable_;
      rootHandle_.node = root_;
      userHandle_.node = root_->child(kUserHive);
      durable_.reset();
    });
  }
  if (!gate->allow()) return false;
  if (!durable_) durable_ = cloneTree(root_, nullptr);
  return true;
}

void FakeRegistry::storeValue(const std::shared_ptr<Node>& node, const std::string& name,
                              std::uint32_t type, const std::string& bytes,
                              const std::string& exactName, const std::string& exactBytes) {
  if (!node) return;
  if (Node::Value* v = node->value(name)) {
    *v = Node::Value{v->name, type, bytes, exactName, exactBytes};
  } else {
    node->values.push_back(Node::Value{name, type, bytes, exactName, exactBytes});
  }
}

long FakeRegistry::flushKey(RegKey key) {
  long status;
  if (!handleOf(key, &status)) return status;
  if (!allowed()) return kErrorNotReady;
  durable_.reset();  // the whole hive is on the disk
  return kErrorSuccess;
}

FakeRegistry::FakeRegistry() : root_(std::make_shared<Node>()) {
  rootHandle_ = Handle{root_, kKeyAllAccess};
  userHandle_ = Handle{childOrNew(root_, kUserHive), kKeyAllAccess};
}
FakeRegistry::~FakeRegistry() = default;

const FakeRegistry::Handle* FakeRegistry::handleOf(RegKey key, long* status) const {
  if (key == kLocalMachine || key == kCurrentUser) {
    *status = kErrorSuccess;
    return key == kLocalMachine ? &rootHandle_ : &userHandle_;
  }
  auto it = handles_.find(key);
  if (it == handles_.end()) {
    *status = kErrorInvalidHandle;
    return nullptr;
  }
  if (it->second.node->deleted) {
    *status = kErrorKeyDeleted;
    return nullptr;
  }
  *status = kErrorSuccess;
  return &it->second;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::findNode(
    const std::shared_ptr<Node>& from, const std::vector<std::string>& parts) const {
  std::shared_ptr<Node> node = from;
  for (const std::string& part : parts) {
    node = node->child(part);
    if (!node) return nullptr;
  }
  return node;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::nodeAt(const std::string& path) const {
  return findNode(root_, splitKeyPath(path));
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::childOrNew(const std::shared_ptr<Node>& node,
                                                             const std::string& part) {
  std::shared_ptr<Node> next = node->child(part);
  if (next) return next;
  next = std::make_shared<Node>();
  next->name = part;
  next->path = node->path.empty() ? foldName(part) : node->path + "\\" + foldName(part);
  next->parent = node;
  auto pos = std::find_if(node->children.begin(), node->children.end(),
                          [&](const std::shared_ptr<Node>& c) {
                            return foldName(c->name) > foldName(part);
                          });
  node->children.insert(pos, next);
  return next;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::makeNode(const std::string& path) {
  std::shared_ptr<Node> node = root_;
  for (const std::string& part : splitKeyPath(path)) node = childOrNew(node, part);
  return node;
}

const FakeRegistry::Handle* FakeRegistry::enter(Op op, RegKey key, std::uint32_t access,
                                                long* status) {
  countCall(op);
  const Handle* h = handleOf(key, status);
  if (!h) return nullptr;
  if (!(h->access & access)) {
    *status = kErrorAccessDenied;
    return nullptr;
  }
  return failureFor(op, h->node->path, status) ? nullptr : h;
}

bool FakeRegistry::failureFor(Op op, const std::string& foldedPath, long* status) {
  for (Failure& f : failures_) {
    if (f.op == op && f.path == foldedPath && f.times != 0) {
      if (f.times > 0) --f.times;
      *status = f.status;
      return true;
    }
  }
  return false;
}

RegKey FakeRegistry::newHandle(const std::shared_ptr<Node>& node, std::uint32_t access) {
  RegKey key = nextHandle_;
  nextHandle_ += 4;
  handles_[key] = Handle{node, access};
  return key;
}

namespace {
// The registry calls refuse a subkey path that begins with a backslash.
bool badSubKeyPath(const std::string& subKey) { return !subKey.empty() && subKey[0] == '\\'; }

std::string joinFolded(const std::string& base, const std::string& subKey) {
  std::string sub = foldPath(subKey);
  if (base.empty()) return sub;
  if (sub.empty()) return base;
  return base + "\\" + sub;
}
}  // namespace

long FakeRegistry::createKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                             RegKey* key) {
  countCall(Op::Create);
  long status;
  const Handle* h = handleOf(parent, &status);
  if (!h) return status;
  if (badSubKeyPath(subKey)) return kErrorBadPathname;
  std::string path = joinFolded(h->node->path, subKey);
  if (failureFor(Op::Create, path, &status)) return status;
  if (!allowed()) return kErrorNotReady;
  std::vector<std::string> parts = splitKeyPath(subKey);
  std::shared_ptr<Node> node = findNode(h->node, parts);
  if (!node) {
    if (!(h->access & kKeyCreateSubKey)) return kErrorAccessDenied;
    node = h->node;
    for (const std::string& part : parts) node = childOrNew(node, part);
  }
  *key = newHandle(node, access);
  return kErrorSuccess;
}

long FakeRegistry::openKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                           RegKey* key) {
  countCall(Op::Open);
  long status;
  const Handle* h = handleOf(parent, &status);
  if (!h) return status;
  if (badSubKeyPath(subKey)) return kErrorBadPathname;
  std::string path = joinFolded(h->node->path, subKey);
  if (failureFor(Op::Open, path, &status)) return status;
  std::shared_ptr<Node> node = findNode(h->node, splitKeyPath(subKey));
  if (!node) return kErrorFileNotFound;
  *key = newHandle(node, access);
  return kErrorSuccess;
}

long FakeRegistry::closeKey(RegKey key) {
  if (key == kLocalMachine || key == kCurrentUser) return kErrorSuccess;
  auto it = handles_.find(key);
  if (it == handles_.end()) return kErrorInvalidHandle;
  handles_.erase(it);
  return kErrorSuccess;
}

long FakeRegistry::queryValue(RegKey key, const std::string& name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) {
  long status;
  const Handle* h = enter(Op::Query, key, kKeyQueryValue, &status);
  if (!h) return status;
  Node::Value* v = h->node->value(name);
  if (!v) return kErrorFileNotFound;
  std::uint32_t stored = static_cast<std::uint32_t>(v->bytes.size());
  if (data) {
    if (!size) return kErrorInvalidParameter;
    if (*size < stored) {
      *size = stored;
      if (type) *type = v->type;
      return kErrorMoreData;
    }
    if (stored) std::memcpy(data, v->bytes.data(), stored);
  }
  if (size) *size = stored;
  if (type) *type = v->type;
  return kErrorSuccess;
}

long FakeRegistry::setValue(RegKey key, const std::string& name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) {
  long status;
  const Handle* h = enter(Op::Set, key, kKeySetValue, &status);
  if (!h) return status;
  std::string bytes = size ? std::string(reinterpret_cast<const char*>(data), size) : "";
  return setStored(key, name, type, bytes, "", "");
}

long FakeRegistry::setStored(RegKey key, const std::string& name, std::uint32_t type,
                             const std::string& given, const std::string& exactName,
                             const std::string& exactBytes) {
  long status;
  const Handle* h = handleOf(key, &status);
  const bool wasCut = gate != nullptr && gate->cut;
  std::string bytes = given;
  if (!allowed()) {
    // The write the power cut hits may land torn: half of it, on the disk.
    if (wasCut || !gate->cut || !gate->tornWrite) return kErrorNotReady;
    bytes.resize(bytes.size() / 2);
    if (durable_) storeValue(findNode(durable_, splitKeyPath(h->node->path)), name, type, bytes);
  }
  storeValue(h->node, name, type, bytes, exactName, exactBytes);
  return gate != nullptr && gate->cut ? kErrorNotReady : kErrorSuccess;
}

long FakeRegistry::deleteValue(RegKey key, const std::string& name) {
  long status;
  const Handle* h = enter(Op::DeleteValue, key, kKeySetValue, &status);
  if (!h) return status;
  auto& values = h->node->values;
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const Node::Value& v) { return sameRegistryName(v.name, name); });
  // A value that is not there is no change: the gate is not asked.
  if (it == values.end()) return kErrorFileNotFound;
  if (!allowed()) return kErrorNotReady;
  values.erase(it);
  return kErrorSuccess;
}

long FakeRegistry::deleteKey(RegKey parent, const std::string& subKey) {
  countCall(Op::DeleteKey);
  long status;
  const Handle* h = handleOf(parent, &status);
  if (!h) return status;
  if (badSubKeyPath(subKey)) return kErrorBadPathname;
  std::shared_ptr<Node> node = findNode(h->node, splitKeyPath(subKey));
  if (!node) return kErrorFileNotFound;
  if (failureFor(Op::DeleteKey, node->path, &status)) return status;
  if (!allowed()) return kErrorNotReady;
  if (node == root_ || !node->children.empty()) return kErrorAccessDenied;
  std::shared_ptr<Node> up = node->parent.lock();
  auto& siblings = up->children;
  siblings.erase(std::find(siblings.begin(), siblings.end(), node));
  node->deleted = true;
  return kErrorSuccess;
}

long FakeRegistry::querySubKeyCount(RegKey key, std::uint32_t* count) {
  long status;
  const Handle* h = handleOf(key, &status);
  if (!h) return status;
  if (!(h->access & kKeyQueryValue)) return kErrorAccessDenied;
  *count = static_cast<std::uint32_t>(h->node->children.size());
  return kErrorSuccess;
}

long FakeRegistry::enumKey(RegKey key, std::uint32_t index, char* name,
                           std::uint32_t* nameSize) {
  long status;
  const Handle* h = enter(Op::EnumKey, key, kKeyEnumerateSubKeys, &status);
  if (!h) return status;
  if (index >= h->node->children.size()) return kErrorNoMoreItems;
  const std::string& childName = h->node->children[index]->name;
  std::uint32_t length = static_cast<std::uint32_t>(childName.size());
  if (!nameSize || !name) return kErrorInvalidParameter;
  if (length + 1 > *nameSize) return kErrorMoreData;
  std::memcpy(name, childName.c_str(), length + 1);
  *nameSize = length;
  return kErrorSuccess;
}

long FakeRegistry::enumValue(RegKey key, std::uint32_t index, char* name,
                             std::uint32_t* nameSize, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* dataSize) {
  long status;
  const Handle* h = enter(Op::EnumValue, key, kKeyQueryValue, &status);
  if (!h) return status;
  if (index >= h->node->values.size()) return kErrorNoMoreItems;
  const Node::Value& v = h->node->values[index];
  std::uint32_t length = static_cast<std::uint32_t>(v.name.size());
  if (!nameSize || !name) return kErrorInvalidParameter;
  if (length + 1 > *nameSize) return kErrorMoreData;
  std::memcpy(name, v.name.c_str(), length + 1);
  *nameSize = length;
  if (type) *type = v.type;
  std::uint32_t stored = static_cast<std::uint32_t>(v.bytes.size());
  if (data) {
    if (!dataSize) return kErrorInvalidParameter;
    if (*dataSize < stored) {
      *dataSize = stored;
      return kErrorMoreData;
    }
    if (stored) std::memcpy(data, v.bytes.data(), stored);
  }
  if (dataSize) *dataSize = stored;
  return kErrorSuccess;
}

void FakeRegistry::createKeyPath(const std::string& path) { makeNode(path); }

void FakeRegistry::setString(const std::string& path, const std::string& name,
                             const std::string& text) {
  std::string bytes = text;
  bytes.push_back('\0');
  setRaw(path, name, kRegSz, bytes);
}

void FakeRegistry::setDword(const std::string& path, const std::string& name,
                            std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  setRaw(path, name, kRegDword, bytes);
}

void FakeRegistry::setRaw(const std::string& path, const std::string& name, std::uint32_t type,
                          const std::string& bytes) {
  storeValue(makeNode(path), name, type, bytes);
}

bool FakeRegistry::keyExists(const std::string& path) const { return nodeAt(path) != nullptr; }

bool FakeRegistry::valueExists(const std::string& path, const std::string& name) const {
  std::shared_ptr<Node> node = nodeAt(path);
  return node && node->value(name) != nullptr;
}

bool FakeRegistry::rawValue(const std::string& path, const std::string& name,
                            std::uint32_t* type, std::string* bytes) const {
  std::shared_ptr<Node> node = nodeAt(path);
  if (!node) return false;
  Node::Value* v = node->value(name);
  if (!v) return false;
  if (type) *type = v->type;
  if (bytes) *bytes = v->bytes;
  return true;
}

std::string FakeRegistry::stringValue(const std::string& path, const std::string& name) const {
  std::string bytes;
  if (!rawValue(path, name, nullptr, &bytes)) return "";
  return bytes.substr(0, bytes.find('\0'));
}

std::vector<std::string> FakeRegistry::subKeyNames(const std::string& path) const {
  std::vector<std::string> names;
  if (std::shared_ptr<Node> node = nodeAt(path))
    for (const auto& c : node->children) names.push_back(c->name);
  return names;
}

std::vector<std::string> FakeRegistry::valueNames(const std::string& path) const {
  std::vector<std::string> names;
  if (std::shared_ptr<Node> node = nodeAt(path))
    for (const auto& v : node->values) names.push_back(v.name);
  return names;
}

void FakeRegistry::removeKeyPath(const std::string& path) {
  std::shared_ptr<Node> node = nodeAt(path);
  if (!node || node == root_) return;
  std::vector<std::shared_ptr<Node>> stack{node};
  while (!stack.empty()) {
    std::shared_ptr<Node> n = stack.back();
    stack.pop_back();
    n->deleted = true;
    for (const auto& c : n->children) stack.push_back(c);
  }
  std::shared_ptr<Node> up = node->parent.lock();
  up->children.erase(std::find(up->children.begin(), up->children.end(), node));
}

int FakeRegistry::openHandleCount() const { return static_cast<int>(handles_.size()); }

int FakeRegistry::callCount(Op op) const {
  auto it = calls_.find(op);
  return it == calls_.end() ? 0 : it->second;
}

void FakeRegistry::injectFailure(Op op, const std::string& path, long status, int times) {
  failures_.push_back(Failure{op, foldPath(path), status, times});
}

void FakeRegistry::clearFailures() { failures_.clear(); }

}  // namespace quillet

namespace quillet {

std::string FakeRegistry::exactName(const std::string& name) { return widen(name); }

long FakeRegistry::queryExactValue(RegKey key, const std::string& exactName, std::uint32_t* type,
                                   std::string* data) {
  long status;
  const Handle* h = enter(Op::Query, key, kKeyQueryValue, &status);
  if (!h) return status;
  Node::Value* v = h->node->value(narrow(exactName));
  if (!v) return kErrorFileNotFound;
  std::string name;
  exactForm(*v, &name, data);
  *type = v->type;
  return kErrorSuccess;
}

long FakeRegistry::enumExactValue(RegKey key, std::uint32_t index, std::string* exactName,
                                  std::uint32_t* type, std::string* data) {
  long status;
  const Handle* h = enter(Op::EnumValue, key, kKeyQueryValue, &status);
  if (!h) return status;
  if (index >= h->node->values.size()) return kErrorNoMoreItems;
  exactForm(h->node->values[index], exactName, data);
  *type = h->node->values[index].type;
  return kErrorSuccess;
}

long FakeRegistry::setExactValue(RegKey key, const std::string& exactName, std::uint32_t type,
                                 const std::string& data) {
  long status;
  const Handle* h = enter(Op::Set, key, kKeySetValue, &status);
  if (!h) return status;
  return setStored(key, narrow(exactName), type, textType(type) ? narrow(data) : data,
                   exactName, data);
}

void FakeRegistry::setExact(const std::string& path, const std::string& exactName,
                            std::uint32_t type, const std::string& bytes) {
  storeValue(makeNode(path), narrow(exactName), type, textType(type) ? narrow(bytes) : bytes,
             exactName, bytes);
}

bool FakeRegistry::exactValue(const std::string& path, const std::string& name,
                              std::string* exactName, std::string* bytes) const {
  std::shared_ptr<Node> node = nodeAt(path);
  Node::Value* v = node ? node->value(name) : nullptr;
  if (!v) return false;
  exactForm(*v, exactName, bytes);
  return true;
}

}  // namespace quillet
