// Runs a program and plays its user: every dialog or message box the program
// shows is written to standard output (caption, then each control's id and
// text, UTF-8) and answered with a button, until the program ends.
//
//   quillet_ui_driver [--answer ID] [--second] [--timeout MS] PROGRAM [ARGS...]
//
// --answer ID   the button pressed in dialogs that have it (default IDOK, 1);
//               2 (IDCANCEL) is sent as the Esc key would, button or not.
//               Message boxes are always answered with OK.
// --second      once the first dialog is up, starts the program a second
//               time and reports how it ended and whether it showed anything
// Ends with "exit: N" (the program's exit status); a program still running
// after the time-out is terminated and reported as "timeout" (status 3).
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "window_texts.h"

using namespace quillet_test;

namespace {

void say(const std::string& line) {
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
            &written, nullptr);
}

std::wstring quoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
    return argument;
  }
  return L"\"" + argument + L"\"";
}

bool startProgram(const std::wstring& commandLine, PROCESS_INFORMATION* process) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, process) != 0;
}

void report(const DialogSnapshot& shot) {
  say("dialog: " + toUtf8(shot.caption));
  for (const ControlText& control : shot.controls) {
    if (control.text.empty()) continue;
    std::string text = toUtf8(control.text);
    for (char& c : text) {
      if (c == '\n') c = '|';  // keep one control per line
    }
    say("  " + std::to_string(control.id == 0xFFFF ? -1 : control.id) + ": " + text);
  }
}

bool hasButton(const DialogSnapshot& shot, int id) {
  const ControlText* control = shot.control(id);
  return control != nullptr && control->className == L"Button";
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  int answer = IDOK;
  bool second = false;
  DWORD timeoutMs = 30000;
  int first = 1;
  for (; first < argc; ++first) {
    const std::wstring option = argv[first];
    if (option == L"--answer" && first + 1 < argc) {
      answer = _wtoi(argv[++first]);
    } else if (option == L"--second") {
      second = true;
    } else if (option == L"--timeout" && first + 1 < argc) {
      timeoutMs = static_cast<DWORD>(_wtoi(argv[++first]));
    } else {
      break;
    }
  }
  if (first >= argc) {
    say("usage: quillet_ui_driver [--answer ID] [--second] [--timeout MS] PROGRAM [ARGS...]");
    return 2;
  }
  std::wstring commandLine;
  for (int i = first; i < argc; ++i) {
    if (!commandLine.empty()) commandLine += L' ';
    commandLine += quoteArgument(argv[i]);
  }

  PROCESS_INFORMATION process = {};
  if (!startProgram(commandLine, &process)) {
    say("cannot start: error " + std::to_string(GetLastError()));
    return 2;
  }

  std::set<HWND> answered;  // a button was pressed
  std::set<HWND> passive;   // nothing to press (the progress dialog)
  std::set<HWND> reported;
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  bool secondDone = !second;
  while (WaitForSingleObject(process.hProcess, 30) == WAIT_TIMEOUT) {
    if (GetTickCount64() > end) {
      say("timeout");
      for (HWND window : dialogsOfProcess(process.dwProcessId)) report(snapshot(window));
      TerminateProcess(process.hProcess, 3);
      return 3;
    }
    for (HWND window : dialogsOfProcess(process.dwProcessId)) {
      if (answered.count(window) != 0 || passive.count(window) != 0) continue;
      waitUntilResponding(window, 10000);  // its texts are set
      const DialogSnapshot shot = snapshot(window);
      if (reported.insert(window).second) report(shot);
      if (!secondDone) {
        secondDone = true;
        PROCESS_INFORMATION other = {};
        if (!startProgram(commandLine, &other)) {
          say("second: cannot start");
        } else {
          const ULONGLONG started = GetTickCount64();
          std::size_t windows = 0;
          while (WaitForSingleObject(other.hProcess, 20) == WAIT_TIMEOUT &&
                 GetTickCount64() - started < 10000) {
            windows += dialogsOfProcess(other.dwProcessId).size();
          }
          DWORD status = STILL_ACTIVE;
          GetExitCodeProcess(other.hProcess, &status);
          if (status == STILL_ACTIVE) {
            TerminateProcess(other.hProcess, 3);
            say("second: still running after 10 s");
          } else {
            say("second: ended, status " + std::to_string(status) + ", windows " +
                std::to_string(windows));
            say("second: took " + std::to_string(GetTickCount64() - started) + " ms");
          }
          CloseHandle(other.hThread);
          CloseHandle(other.hProcess);
        }
      }
      if (shot.control(0xFFFF) != nullptr) {
        pressButton(window, IDOK);  // a message box: its text static, its OK button
        answered.insert(window);
      } else if (!hasButton(shot, IDOK) && !hasButton(shot, IDCANCEL)) {
        passive.insert(window);     // nothing to press (the progress dialog)
      } else if (answer == IDCANCEL || hasButton(shot, answer)) {
        pressButton(window, answer);  // IDCANCEL is the Esc key, button or not
        answered.insert(window);
      } else {
        pressButton(window, IDOK);
        answered.insert(window);
      }
    }
  }
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  say("exit: " + std::to_string(status));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  LocalFree(argv);
  return 0;
}
