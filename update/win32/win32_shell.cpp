#include "update/win32/win32_shell.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <vector>

namespace quillet {
namespace {

// The component library for the current thread, released again only when
// this initialisation succeeded (also when it was already initialised).
class ComForThread {
 public:
  ComForThread() : result_(CoInitialize(nullptr)) {}
  ~ComForThread() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComForThread(const ComForThread&) = delete;
  ComForThread& operator=(const ComForThread&) = delete;

 private:
  HRESULT result_;
};

// Releases an interface pointer when it goes out of scope.
template <typename Interface>
class ComPointer {
 public:
  ComPointer() = default;
  ~ComPointer() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  ComPointer(const ComPointer&) = delete;
  ComPointer& operator=(const ComPointer&) = delete;
  Interface** out() { return &pointer_; }
  Interface* operator->() const { return pointer_; }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace

bool Win32Shell::saveShellLink(const std::string& targetPath, const std::string& linkPath) {
  ComForThread com;
  ComPointer<IShellLinkA> link;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IShellLinkA, reinterpret_cast<void**>(link.out()));
  if (FAILED(result)) return false;
  ComPointer<IPersistFile> file;
  result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out()));
  if (FAILED(result)) return false;

  // The link's own path in UTF-16, read in the ANSI code page; a path that
  // does not fit the 260 characters is not saved under a cut name.
  WCHAR widePath[MAX_PATH] = {};
  if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH) == 0) {
    return false;
  }
  link->SetPath(targetPath.c_str());
  link->SetArguments(nullptr);
  link->SetWorkingDirectory(nullptr);
  link->SetDescription(nullptr);
  result = file->Save(widePath, TRUE);
  return SUCCEEDED(result);
}

bool Win32Shell::startProgram(const std::string& commandLine) {
  // CreateProcessA may write into the command line: give it a copy.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  // The program runs on independently; the tool keeps no handle to it.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace quillet
