#pragma once
// A user interface that shows nothing: it records every message and dialog in
// order (texts as given) and answers with scripted results.
#include <memory>
#include <string>
#include <vector>

#include "update/ports/status_codes.h"
#include "update/ports/ui_port.h"

namespace quillet {

struct UiCall {
  std::string kind;   // "message", "start", "versionAbort", "adminAbort", "restart", "done",
                      // "progress"
  std::string text;   // message text, sourceDir, first line or program group name
  std::string text2;  // second line of the version-abort dialog
};

// What the progress window was told, in order: "range 0x90000", "step 1",
// "stepIt", "destroy".
struct FakeProgressLog {
  std::vector<std::string> calls;
  int stepIts = 0;
  bool destroyed = false;
};

class FakeUi : public UserInterfacePort {
 public:
  void messageBox(const std::string& utf8Text) override;
  int startDialog(const std::string& sourceDir) override;
  int versionAbortDialog(const std::string& utf8FirstLine,
                         const std::string& utf8SecondLine) override;
  int adminAbortDialog() override;
  int restartDialog(const std::string& utf8ProgramGroupName) override;
  int doneDialog(const std::string& utf8ProgramGroupName) override;
  std::unique_ptr<ProgressWindow> createProgressDialog() override;

  // Only the calls of one kind, in order.
  std::vector<UiCall> callsOf(const std::string& kind) const;

  std::vector<UiCall> calls;
  // When set, each call's kind is also appended here (to check the order of
  // user-interface calls among other recorded events).
  std::vector<std::string>* sharedLog = nullptr;

  int startResult = kIdOk;
  int modalResult = kIdOk;  // every other modal dialog
  bool progressFails = false;
  FakeProgressLog progress;

 private:
  void record(const std::string& kind, const std::string& text, const std::string& text2 = "");
};

}  // namespace quillet
