#include "tools/quillet-check/job_json.h"

#include <cstdio>

#include "update/text/utf8_text.h"

namespace quillet {

std::string jsonString(const std::string& utf8) {
  std::string out = "\"";
  for (char ch : utf8) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

namespace {

// Writes one member per line; arrays hold one element per line.
class JsonWriter {
 public:
  explicit JsonWriter(const CodePage& codePage) : cp_(codePage) {}

  std::string text(const std::string& ansi) const { return jsonString(toUtf8Lenient(ansi, cp_)); }

  static std::string member(const char* name, const std::string& json) {
    return jsonString(name) + ": " + json;
  }
  static std::string member(const char* name, int value) {
    return member(name, std::to_string(value));
  }

  // Already formatted elements, each on a line of its own at the given
  // indentation, separated by commas.
  static std::string lines(const std::vector<std::string>& elements, const std::string& indent) {
    std::string out;
    for (std::size_t i = 0; i < elements.size(); ++i) {
      out += indent + elements[i];
      out += (i + 1 < elements.size()) ? ",\n" : "\n";
    }
    return out;
  }

  // An array of already formatted elements at the given indentation.
  static std::string array(const std::vector<std::string>& elements, const std::string& indent) {
    if (elements.empty()) return "[]";
    return "[\n" + lines(elements, indent + "  ") + indent + "]";
  }

  static std::string object(const std::vector<std::string>& members) {
    std::string out = "{";
    for (std::size_t i = 0; i < members.size(); ++i) {
      if (i) out += ", ";
      out += members[i];
    }
    return out + "}";
  }

  std::vector<std::string> texts(const std::string* items, int count) const {
    return formatEach(items, count, [this](const std::string& item) { return text(item); });
  }

  // The first count items of a job table, each formatted by format.
  template <typename Item, typename Format>
  static std::vector<std::string> formatEach(const Item* items, int count, Format format) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(format(items[i]));
    return out;
  }

 private:
  const CodePage& cp_;
};

}  // namespace

std::string checkReportJson(int result, const std::vector<std::string>& utf8Messages,
                            const UpdateJob& job, const CodePage& codePage) {
  JsonWriter w(codePage);
  const std::string in = "    ";  // members of "job"

  const auto files = w.formatEach(job.fileEntries, job.fileEntryCount, [&](const FileEntry& e) {
    return w.object({w.member("diskLabel", w.text(e.diskLabel)),
                     w.member("sourcePath", w.text(e.sourcePath)),
                     w.member("targetPath", w.text(e.targetPath)),
                     w.member("recordForUninstall", e.recordForUninstall),
                     w.member("onlyIfPresent", e.onlyIfPresent),
                     w.member("skipVersionCheck", e.skipVersionCheck),
                     w.member("removeTarget", e.removeTarget)});
  });
  const auto shortcuts =
      w.formatEach(job.shortcutEntries, job.shortcutEntryCount, [&](const ShortcutEntry& e) {
        return w.object({w.member("targetPath", w.text(e.targetPath)),
                         w.member("linkPath", w.text(e.linkPath)),
                         w.member("linkKind", e.linkKind)});
      });
  const auto launches =
      w.formatEach(job.launchEntries, job.launchEntryCount, [&](const LaunchEntry& e) {
        return w.object({w.member("commandPath", w.text(e.commandPath)),
                         w.member("parameters", w.text(e.parameters)),
                         w.member("launchKind", e.launchKind), w.member("phase", e.phase)});
      });
  const auto registry =
      w.formatEach(job.registryEntries, job.registryEntryCount, [&](const RegistryEntry& e) {
        return w.object({w.member("keyPath", w.text(e.keyPath)),
                         w.member("valueName", w.text(e.valueName)),
                         w.member("valueData", w.text(e.valueData)),
                         w.member("operation", e.operation)});
      });
  const auto patchInfo =
      w.formatEach(job.patchInfoEntries, job.patchInfoEntryCount, [&](const PatchInfoEntry& e) {
        return w.object({w.member("patchId", w.text(e.patchId)),
                         w.member("patchName", w.text(e.patchName)),
                         w.member("date", w.text(e.date)), w.member("time", w.text(e.time))});
      });
  const auto patchDelete = w.formatEach(
      job.patchDeleteEntries, job.patchDeleteEntryCount, [&](const PatchDeleteEntry& e) {
        return w.object(
            {w.member("patchId", w.text(e.patchId)), w.member("deleteMode", e.deleteMode)});
      });
  std::vector<std::string> messages;
  for (const std::string& m : utf8Messages) messages.push_back(jsonString(m));

  const std::vector<std::string> jobMembers = {
      w.member("fileEntries", w.array(files, in)),
      w.member("shortcutEntries", w.array(shortcuts, in)),
      w.member("launchEntries", w.array(launches, in)),
      w.member("workFolders", w.array(w.texts(job.workFolders, job.workFolderCount), in)),
      w.member("registryEntries", w.array(registry, in)),
      w.member("patchInfoEntries", w.array(patchInfo, in)),
      w.member("patchDeleteEntries", w.array(patchDelete, in)),
      w.member("servicesToStart",
               w.array(w.texts(job.servicesToStart, job.serviceToStartCount), in)),
      w.member("servicesToStop",
               w.array(w.texts(job.servicesToStop, job.serviceToStopCount), in)),
      w.member("processesToEnd",
               w.array(w.texts(job.processesToEnd, job.processToEndCount), in)),
      w.member("adminRequired", job.adminRequired),
      w.member("rebootRequired", job.rebootRequired),
      w.member("updatePPD", job.updatePPD),
      w.member("versionLower", job.versionLower),
      w.member("versionUpper", job.versionUpper),
      w.member("targetModelMask", job.targetModelMask),
  };

  std::string out = "{\n";
  out += "  " + w.member("result", result) + ",\n";
  out += "  " + w.member("messages", w.array(messages, "  ")) + ",\n";
  out += "  \"job\": {\n" + w.lines(jobMembers, in) + "  }\n}\n";
  return out;
}

}  // namespace quillet
