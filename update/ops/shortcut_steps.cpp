// Writing the shortcuts of the job.
#include "update/ops/shortcuts.h"

#include "update/ops/file_placement.h"
#include "update/ops/update_steps.h"

namespace quillet {

namespace {

constexpr int kTemporaryAttempts = 100;
constexpr std::size_t kMaxPathBytes = 259;

// Writes the new shortcut beside the old one and only then puts it in its
// place, so that a failed write keeps the old shortcut. A link so near the
// path limit that no name beside it fits is written in place, as before.
template <typename Write>
int replaceShortcut(const std::string& linkPath, FileSystemPort& files, const CodePage& codePage,
                    Write write) {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    const std::string temporary = temporaryCopyName(linkPath, attempt, codePage);
    if (temporary.size() > kMaxPathBytes) break;
    if (files.getAttributes(temporary) != kInvalidAttributes) continue;  // someone else's
    if (write(temporary) && files.replaceFile(temporary, linkPath)) return 1;
    files.deleteFile(temporary);  // a partial file, or one that could not take the place
    return 0;
  }
  files.deleteFile(linkPath);
  return write(linkPath) ? 1 : 0;
}

}  // namespace

std::string internetShortcutText(const std::string& targetPath, int iconIndex) {
  // The file is text: every line ends in CR LF on disk.
  return "[InternetShortcut]\r\n"
         "URL=file:" + targetPath + "\r\n"
         "\r\n"
         "IconIndex=" + std::to_string(iconIndex) + "\r\n"
         "IconFile=" + targetPath + "\r\n";
}

int writeInternetShortcut(const std::string& targetPath, const std::string& linkPath,
                          int iconIndex, FileSystemPort& files, const CodePage& codePage) {
  const std::string text = internetShortcutText(targetPath, iconIndex);
  return replaceShortcut(linkPath, files, codePage,
                         [&](const std::string& path) { return files.writeFile(path, text); });
}

int writeShellLink(const std::string& targetPath, const std::string& linkPath,
                   FileSystemPort& files, ShellPort& shell, const CodePage& codePage) {
  return replaceShortcut(linkPath, files, codePage, [&](const std::string& path) {
    return shell.saveShellLink(targetPath, path);
  });
}

int createShortcuts(const UpdateJob& job, FileSystemPort& files, ShellPort& shell,
                    const CodePage& codePage) {
  int result = 1;
  for (int i = 0; i < job.shortcutEntryCount; ++i) {
    const ShortcutEntry& entry = job.shortcutEntries[i];
    const int written =
        entry.linkKind == kLinkInternet
            ? writeInternetShortcut(entry.targetPath, entry.linkPath, 0, files, codePage)
            : writeShellLink(entry.targetPath, entry.linkPath, files, shell, codePage);
    if (written != 1) result = 0;
  }
  return result;
}

int StandardSteps::createShortcuts() {
  return quillet::createShortcuts(job_, ports_.files, ports_.shell, ports_.codePage);
}

}  // namespace quillet
