#include "tools/quillet-check/media_host.h"

#include <cstdio>
#include <memory>

#include "tools/quillet-check/check_ports.h"

#ifdef _WIN32
#include "update/text/wide_text.h"
#endif

namespace quillet {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openMediaFile(const std::string& mediaDir, const std::string& listName, bool write) {
#ifdef _WIN32
  std::wstring path = ansiToWide(mediaDir) + L"\\" + utf8ToWide(listName);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return File(_wfopen(path.c_str(), write ? L"wb" : L"rb"));
#else
  return File(std::fopen((mediaDir + "/" + listName).c_str(), write ? "wb" : "rb"));
#endif
}

}  // namespace

bool readMediaFile(const std::string& mediaDir, const std::string& listName, std::string* bytes) {
  File file = openMediaFile(mediaDir, listName, false);
  return file && readWholeFile(file.get(), bytes);
}

bool writeMediaFile(const std::string& mediaDir, const std::string& listName,
                    const std::string& bytes) {
  File file = openMediaFile(mediaDir, listName, true);
  if (!file) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return false;
  return std::fclose(file.release()) == 0;
}

}  // namespace quillet
