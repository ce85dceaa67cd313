#include "tests/fakes/fake_ui.h"

#include <cstdio>

namespace quillet {
namespace {

class FakeProgressWindow : public ProgressWindow {
 public:
  explicit FakeProgressWindow(FakeProgressLog& log) : log_(log) {}
  // Dropping a window that was not destroyed destroys it (as the adapter does).
  ~FakeProgressWindow() override {
    if (!log_.destroyed) destroy();
  }

  void setRange(unsigned long packedRange) override {
    char text[40];
    std::snprintf(text, sizeof text, "range 0x%lX", packedRange);
    add(text);
  }
  void setStep(int step) override { add("step " + std::to_string(step)); }
  void stepIt() override {
    if (add("stepIt")) ++log_.stepIts;
  }
  void destroy() override {
    if (add("destroy")) log_.destroyed = true;
  }

 private:
  // A window that is gone takes no more calls; the log shows such a misuse.
  bool add(const std::string& call) {
    log_.calls.push_back(log_.destroyed ? "after destroy: " + call : call);
    return !log_.destroyed;
  }
  FakeProgressLog& log_;
};

}  // namespace

void FakeUi::record(const std::string& kind, const std::string& text, const std::string& text2) {
  calls.push_back(UiCall{kind, text, text2});
  if (sharedLog != nullptr) sharedLog->push_back(kind);
}

void FakeUi::messageBox(const std::string& utf8Text) { record("message", utf8Text); }

int FakeUi::startDialog(const std::string& sourceDir) {
  record("start", sourceDir);
  return startResult;
}

int FakeUi::versionAbortDialog(const std::string& utf8FirstLine,
                               const std::string& utf8SecondLine) {
  record("versionAbort", utf8FirstLine, utf8SecondLine);
  return modalResult;
}

int FakeUi::adminAbortDialog() {
  record("adminAbort", "");
  return modalResult;
}

int FakeUi::restartDialog(const std::string& utf8ProgramGroupName) {
  record("restart", utf8ProgramGroupName);
  return modalResult;
}

int FakeUi::doneDialog(const std::string& utf8ProgramGroupName) {
  record("done", utf8ProgramGroupName);
  return modalResult;
}

std::unique_ptr<ProgressWindow> FakeUi::createProgressDialog() {
  record("progress", "");
  if (progressFails) return nullptr;
  progress = FakeProgressLog{};
  return std::make_unique<FakeProgressWindow>(progress);
}

std::vector<UiCall> FakeUi::callsOf(const std::string& kind) const {
  std::vector<UiCall> result;
  for (const UiCall& call : calls) {
    if (call.kind == kind) result.push_back(call);
  }
  return result;
}

}  // namespace quillet
