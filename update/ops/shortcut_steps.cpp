// Writing the shortcuts of the job.
#include "update/ops/shortcuts.h"

#include "update/ops/update_steps.h"

namespace quillet {

std::string internetShortcutText(const std::string& targetPath, int iconIndex) {
  // The file is text: every line ends in CR LF on disk.
  return "[InternetShortcut]\r\n"
         "URL=file:" + targetPath + "\r\n"
         "\r\n"
         "IconIndex=" + std::to_string(iconIndex) + "\r\n"
         "IconFile=" + targetPath + "\r\n";
}

int writeInternetShortcut(const std::string& targetPath, const std::string& linkPath,
                          int iconIndex, FileSystemPort& files) {
  files.deleteFile(linkPath);
  return files.writeFile(linkPath, internetShortcutText(targetPath, iconIndex)) ? 1 : 0;
}

int writeShellLink(const std::string& targetPath, const std::string& linkPath,
                   FileSystemPort& files, ShellPort& shell) {
  files.deleteFile(linkPath);
  return shell.saveShellLink(targetPath, linkPath) ? 1 : 0;
}

int createShortcuts(const UpdateJob& job, FileSystemPort& files, ShellPort& shell) {
  int result = 1;
  for (int i = 0; i < job.shortcutEntryCount; ++i) {
    const ShortcutEntry& entry = job.shortcutEntries[i];
    const int written = entry.linkKind == kLinkInternet
                            ? writeInternetShortcut(entry.targetPath, entry.linkPath, 0, files)
                            : writeShellLink(entry.targetPath, entry.linkPath, files, shell);
    if (written != 1) result = 0;
  }
  return result;
}

int StandardSteps::createShortcuts() {
  return quillet::createShortcuts(job_, ports_.files, ports_.shell);
}

}  // namespace quillet
