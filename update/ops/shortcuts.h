#pragma once
// The update's shortcuts: internet shortcut files written as text, and shell
// links made by the shell's link object.
#include <string>

#include "update/ports/files_port.h"
#include "update/ports/shell_port.h"
#include "update/script/update_job.h"

namespace quillet {

// Writes every shortcutEntries entry in order (linkKind 1: internet shortcut
// with icon index 0, anything else: shell link); 1 when all were written,
// else 0. A failure does not stop the entries after it.
int createShortcuts(const UpdateJob& job, FileSystemPort& files, ShellPort& shell);

// The bytes of an internet shortcut to a local file, as a text-mode file
// holds them: five lines ending in CR LF, the target written unchanged.
std::string internetShortcutText(const std::string& targetPath, int iconIndex);

// Both delete an existing file at linkPath first, so a failed write leaves
// no shortcut rather than a stale one. 1 when the new file was written.
int writeInternetShortcut(const std::string& targetPath, const std::string& linkPath,
                          int iconIndex, FileSystemPort& files);
int writeShellLink(const std::string& targetPath, const std::string& linkPath,
                   FileSystemPort& files, ShellPort& shell);

}  // namespace quillet
