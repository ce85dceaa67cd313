#pragma once
// What the reader does with each line, told as it happens, for tools that
// explain a script to its author (quillet-check). Observing changes nothing:
// Quillet itself reads with no observer.
#include <string>

namespace quillet {

// The reader's current values (one text slot is shared by several keywords).
enum class ScriptSlot {
  kLabel,    // "volume lavel:"
  kSource,   // source, key, process, patch id, launch command
  kName,     // file name, registry value data
  kDetail,   // target, link, folder, value name, patch name, delete id,
             // parameters, boolean text
  kService,
  kPhase,
  kMode,     // the file flags of the last source line
};
constexpr int kScriptSlotCount = 7;

// The job description's tables, in the order of UpdateJob.
enum class ScriptTable {
  kFiles,
  kShortcuts,
  kLaunches,
  kWorkFolders,
  kRegistry,
  kPatchInfo,
  kPatchDeletes,
  kServicesToStart,
  kServicesToStop,
  kProcessesToEnd,
};

class ScriptReadObserver {
 public:
  virtual ~ScriptReadObserver() = default;
  // Every line the reader reads, before its action: the number of the text
  // line it starts on (a line longer than the buffer continues the same text
  // line), the line as read, and its keyword code and value.
  virtual void lineRead(int textLine, const std::string& line, int code,
                        const std::string& value) = 0;
  // The line is meant for another major version of the system: it did nothing.
  virtual void lineSkipped() = 0;
  // The line takes the current value of a slot.
  virtual void slotRead(ScriptSlot slot) = 0;
  // The line sets the current value of a slot.
  virtual void slotWritten(ScriptSlot slot) = 0;
  // The line adds an entry to a table; fitted is false when the table was
  // full (the reader then shows the table's message and stops).
  virtual void entryAppended(ScriptTable table, bool fitted) = 0;
};

}  // namespace quillet
