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

  // An array of already formatted elements at the given indentation.
  static std::string array(const std::vector<std::string>& elements, const std::string& indent) {
    if (elements.empty()) return "[]";
    std::string out = "[\n";
    for (std::size_t i = 0; i < elements.size(); ++i) {
      out += indent + "  " + elements[i];
      out += (i + 1 < elements.size()) ? ",\n" : "\n";
    }
    return out + indent + "]";
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
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(text(items[i]));
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

  std::vector<std::string> files;
  for (int i = 0; i < job.fileEntryCount; ++i) {
    const FileEntry& e = job.fileEntries[i];
    files.push_back(w.object({w.member("diskLabel", w.text(e.diskLabel)),
                              w.member("sourcePath", w.text(e.sourcePath)),
                              w.member("targetPath", w.text(e.targetPath)),
                              w.member("recordForUninstall", e.recordForUninstall),
                              w.member("onlyIfPresent", e.onlyIfPresent),
                              w.member("skipVersionCheck", e.skipVersionCheck),
                              w.member("removeTarget", e.removeTarget)}));
  }
  std::vector<std::string> shortcuts;
  for (int i = 0; i < job.shortcutEntryCount; ++i) {
    const ShortcutEntry& e = job.shortcutEntries[i];
    shortcuts.push_back(w.object({w.member("targetPath", w.text(e.targetPath)),
                                  w.member("linkPath", w.text(e.linkPath)),
                                  w.member("linkKind", e.linkKind)}));
  }
  std::vector<std::string> launches;
  for (int i = 0; i < job.launchEntryCount; ++i) {
    const LaunchEntry& e = job.launchEntries[i];
    launches.push_back(w.object({w.member("commandPath", w.text(e.commandPath)),
                                 w.member("parameters", w.text(e.parameters)),
                                 w.member("launchKind", e.launchKind),
                                 w.member("phase", e.phase)}));
  }
  std::vector<std::string> registry;
  for (int i = 0; i < job.registryEntryCount; ++i) {
    const RegistryEntry& e = job.registryEntries[i];
    registry.push_back(w.object({w.member("keyPath", w.text(e.keyPath)),
                                 w.member("valueName", w.text(e.valueName)),
                                 w.member("valueData", w.text(e.valueData)),
                                 w.member("operation", e.operation)}));
  }
  std::vector<std::string> patchInfo;
  for (int i = 0; i < job.patchInfoEntryCount; ++i) {
    const PatchInfoEntry& e = job.patchInfoEntries[i];
    patchInfo.push_back(w.object({w.member("patchId", w.text(e.patchId)),
                                  w.member("patchName", w.text(e.patchName)),
                                  w.member("date", w.text(e.date)),
                                  w.member("time", w.text(e.time))}));
  }
  std::vector<std::string> patchDelete;
  for (int i = 0; i < job.patchDeleteEntryCount; ++i) {
    const PatchDeleteEntry& e = job.patchDeleteEntries[i];
    patchDelete.push_back(w.object(
        {w.member("patchId", w.text(e.patchId)), w.member("deleteMode", e.deleteMode)}));
  }
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
  out += "  \"job\": {\n";
  for (std::size_t i = 0; i < jobMembers.size(); ++i) {
    out += in + jobMembers[i];
    out += (i + 1 < jobMembers.size()) ? ",\n" : "\n";
  }
  out += "  }\n}\n";
  return out;
}

}  // namespace quillet
