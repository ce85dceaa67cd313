#include "update/run/failure_message.h"

#include "update/run/run_messages.h"

namespace quillet {
namespace {

const char* whatFailed(RunStep step) {
  switch (step) {
    case RunStep::kWorkFolders: return "フォルダの作成";
    case RunStep::kRemovals: return "ファイルの削除";
    case RunStep::kPatchDeletion: return "パッチ情報の削除";
    case RunStep::kRegistryEdits: return "レジストリの変更";
    case RunStep::kPatchRecords: return "パッチ情報の書き込み";
    case RunStep::kShortcuts: return "ショートカットの作成";
    case RunStep::kUninstallRecords: return "アンインストール情報の書き込み";
    case RunStep::kCommit: return "アップデートの記録の書き込み";
    case RunStep::kNone:
    case RunStep::kCopy: break;
  }
  return nullptr;
}

}  // namespace

std::string failureMessage(const JournalFailure& failure, const std::string& journal) {
  std::string what;
  if (failure.journalUnwritable) {
    what = "アップデートの記録 " + journal + " の書き込み";
  } else if (const char* step = whatFailed(failure.step)) {
    what = step;
  } else {
    return kMsgCopyFailed;  // a copy, or a failure the journal did not see
  }
  return withName(failure.putBack ? kMsgStepFailedPutBack : kMsgStepFailedPartlyPutBack, what);
}

}  // namespace quillet
