#pragma once
// The update's shortcuts: internet shortcut files written as text, and shell
// links made by the shell's link object.
#include <string>

#include "update/ports/code_page.h"
#include "update/ports/files_port.h"
#include "update/ports/shell_port.h"
#include "update/script/update_job.h"

namespace quillet {

// Writes every shortcutEntries entry in order (linkKind 1: internet shortcut
// with icon index 0, anything else: shell link); 1 when all were written,
// else 0. A failure does not stop the entries after it.
int createShortcuts(const UpdateJob& job, FileSystemPort& files, ShellPort& shell,
                    const CodePage& codePage);

// The bytes of an internet shortcut to a local file, as a text-mode file
// holds them: five lines ending in CR LF, the target written unchanged.
std::string internetShortcutText(const std::string& targetPath, int iconIndex);

// Both write the new file beside linkPath (the name temporaryCopyName gives)
// and then move it over the old one, so a failed write keeps the old
// shortcut. 1 when the new file is in place.
int writeInternetShortcut(const std::string& targetPath, const std::string& linkPath,
                          int iconIndex, FileSystemPort& files, const CodePage& codePage);
int writeShellLink(const std::string& targetPath, const std::string& linkPath,
                   FileSystemPort& files, ShellPort& shell, const CodePage& codePage);

}  // namespace quillet
