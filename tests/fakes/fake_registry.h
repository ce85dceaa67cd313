#pragma once
// In-memory registry for native tests. Behaves like the ANSI registry calls
// of Windows where the update tool depends on it:
//  - key and value names compare without regard to letter case (ASCII
//    letters; names are cp932 bytes, split on backslashes that are not trail
//    bytes of a two-byte character);
//  - subkeys enumerate in name order (case-insensitive), values in the order
//    they were first set;
//  - queryValue/enumValue: *size is the capacity on entry and the stored size
//    on return; kErrorMoreData (size set to what is needed) when the data does
//    not fit; a null data pointer asks for the size only;
//  - enumKey/enumValue: the name size is the capacity with the NUL on entry
//    and the length without it on return; kErrorMoreData when too small (the
//    size is then left unchanged), kErrorNoMoreItems past the end;
//  - handle access rights are checked (query, set, enumerate, create subkey);
//  - a key with subkeys cannot be deleted (kErrorAccessDenied); handles to a
//    deleted key answer kErrorKeyDeleted;
//  - create/open/delete of a subkey path that begins with a backslash fail
//    with kErrorBadPathname (a trailing or doubled backslash is accepted).
//  - durability: a change reaches the disk only with the next flushKey (of
//    any key: the whole hive is written); a power cut (see ChangeGate) gives
//    back the hive as at its last flush.
// Faults can be injected per operation and key path; through the gate, a
// flush can fail.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/change_gate.h"
#include "update/ports/registry_port.h"

namespace quillet {

enum : long { kErrorBadPathname = 161, kErrorKeyDeleted = 1018 };

class FakeRegistry : public RegistryPort {
 public:
  enum class Op { Open, Create, Query, Set, DeleteValue, DeleteKey, EnumKey, EnumValue };

  FakeRegistry();
  ~FakeRegistry() override;

  // --- RegistryPort ---
  long createKey(RegKey parent, const std::string& subKey, std::uint32_t access,
                 RegKey* key) override;
  long openKey(RegKey parent, const std::string& subKey, std::uint32_t access,
               RegKey* key) override;
  long closeKey(RegKey key) override;
  long queryValue(RegKey key, const std::string& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long setValue(RegKey key, const std::string& name, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size) override;
  long deleteValue(RegKey key, const std::string& name) override;
  long deleteKey(RegKey parent, const std::string& subKey) override;
  long querySubKeyCount(RegKey key, std::uint32_t* count) override;
  long enumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameSize) override;
  long enumValue(RegKey key, std::uint32_t index, char* name, std::uint32_t* nameSize,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) override;
  long flushKey(RegKey key) override;
  // The exact calls. The fake's ANSI code page maps each byte to the UTF-16
  // unit of the same number; a unit above 0xFF has no ANSI form and reads
  // "?" through the ANSI calls, as text outside the system's code page does.
  std::string exactName(const std::string& name) override;
  long queryExactValue(RegKey key, const std::string& exactName, std::uint32_t* type,
                       std::string* data) override;
  long enumExactValue(RegKey key, std::uint32_t index, std::string* exactName,
                      std::uint32_t* type, std::string* data) override;
  long setExactValue(RegKey key, const std::string& exactName, std::uint32_t type,
                     const std::string& data) override;

  // The user's hive (kCurrentUser) is the key of this name below the
  // machine's root: its paths are "HKEY_CURRENT_USER\\...".
  static constexpr char kUserHive[] = "HKEY_CURRENT_USER";

  // --- Set-up and inspection; paths lie below HKEY_LOCAL_MACHINE ---
  void createKeyPath(const std::string& path);
  // REG_SZ with the terminating NUL stored, as RegSetValueExA callers do.
  void setString(const std::string& path, const std::string& name, const std::string& text);
  void setDword(const std::string& path, const std::string& name, std::uint32_t value);
  void setRaw(const std::string& path, const std::string& name, std::uint32_t type,
              const std::string& bytes);
  // A value set and read as the exact calls do (UTF-16LE name and text).
  void setExact(const std::string& path, const std::string& exactName, std::uint32_t type,
                const std::string& bytes);
  // The value of this (ANSI) name as the exact calls read it.
  bool exactValue(const std::string& path, const std::string& name, std::string* exactName,
                  std::string* bytes) const;
  bool keyExists(const std::string& path) const;
  bool valueExists(const std::string& path, const std::string& name) const;
  // The stored bytes and type; false when the key or value is missing.
  bool rawValue(const std::string& path, const std::string& name, std::uint32_t* type,
                std::string* bytes) const;
  // The stored bytes up to the first NUL; empty when missing.
  std::string stringValue(const std::string& path, const std::string& name) const;
  std::vector<std::string> subKeyNames(const std::string& path) const;
  std::vector<std::string> valueNames(const std::string& path) const;
  void removeKeyPath(const std::string& path);  // with its subkeys
  // Handles opened or created and not yet closed.
  int openHandleCount() const;
  // Number of calls of the operation so far (all paths).
  int callCount(Op op) const;

  // The operation on the key at this path (for Create/Open/DeleteKey: the key
  // named by parent + subKey; otherwise the key the handle refers to) fails
  // with the status, the count given times (-1: always), nothing changed.
  void injectFailure(Op op, const std::string& path, long status = kErrorAccessDenied,
                     int times = -1);
  void clearFailures();
  // Counts (and can refuse) every create, set, delete and flush.
  ChangeGate* gate = nullptr;

  struct Node;

 private:
  struct Handle {
    std::shared_ptr<Node> node;
    std::uint32_t access;
  };

  std::shared_ptr<Node> root_;
  Handle rootHandle_;
  Handle userHandle_;
  std::map<RegKey, Handle> handles_;
  RegKey nextHandle_ = 0x1000;
  struct Failure {
    Op op;
    std::string path;
    long status;
    int times;
  };
  std::vector<Failure> failures_;
  std::map<Op, int> calls_;

  const Handle* handleOf(RegKey key, long* status) const;
  std::shared_ptr<Node> findNode(const std::shared_ptr<Node>& from,
                                 const std::vector<std::string>& parts) const;
  std::shared_ptr<Node> nodeAt(const std::string& path) const;
  std::shared_ptr<Node> makeNode(const std::string& path);
  std::shared_ptr<Node> childOrNew(const std::shared_ptr<Node>& node, const std::string& part);
  bool failureFor(Op op, const std::string& path, long* status);
  // What every call on an open key does first: count the call, find the
  // handle, check its access, apply an injected failure. Null: *status says why.
  const Handle* enter(Op op, RegKey key, std::uint32_t access, long* status);
  RegKey newHandle(const std::shared_ptr<Node>& node, std::uint32_t access);
  void countCall(Op op) { ++calls_[op]; }
  // Asks the gate; before the first unflushed change keeps the hive as the
  // disk holds it.
  bool allowed();
  static void storeValue(const std::shared_ptr<Node>& node, const std::string& name,
                         std::uint32_t type, const std::string& bytes,
                         const std::string& exactName = "", const std::string& exactBytes = "");
  long setStored(RegKey key, const std::string& name, std::uint32_t type,
                 const std::string& bytes, const std::string& exactName,
                 const std::string& exactBytes);
  ChangeGate* watched_ = nullptr;
  std::shared_ptr<Node> durable_;  // null: nothing unflushed
};

// Splits a key path at backslashes that are not the second byte of a cp932
// two-byte character; empty parts are dropped.
std::vector<std::string> splitKeyPath(const std::string& path);
// Byte-wise equality ignoring the case of ASCII letters outside two-byte
// characters.
bool sameRegistryName(const std::string& a, const std::string& b);

}  // namespace quillet
