#pragma once
// The application object of the framework: one static instance per program,
// registered at construction so that the program's entry point can find it.
// Portable, so that an application's start-up logic can be built and tested
// without a window system; the Win32 entry point lives in
// update/app/app_main.cpp.
#include <string>

namespace quillet {

class CWinApp {
 public:
  // No name: the framework takes the program file's name (without folder and
  // extension) when it starts the application.
  explicit CWinApp(const char* appName = nullptr) {
    if (appName != nullptr) m_pszAppName = appName;
    currentApp() = this;
  }
  virtual ~CWinApp() {
    if (currentApp() == this) currentApp() = nullptr;
  }
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Instance start: nonzero asks the framework to run a message loop before
  // ExitInstance; zero ends the program at once.
  virtual int InitInstance() { return 1; }
  // The program's exit status.
  virtual int ExitInstance() { return 0; }

  // Called by the framework before InitInstance. commandLine is the text after
  // the program name (may be null when the system gives none).
  void startFramework(const std::string& programName, const char* commandLine) {
    if (m_pszAppName.empty()) m_pszAppName = programName;
    m_lpCmdLine = commandLine;
  }

  static CWinApp* current() { return currentApp(); }

  std::string m_pszAppName;
  const char* m_lpCmdLine = nullptr;

 private:
  static CWinApp*& currentApp() {
    static CWinApp* app = nullptr;
    return app;
  }
};

}  // namespace quillet
