#pragma once
// Media files on the host by their name in the media's list (UTF-8, "/"
// between folders): on Windows through the wide-character file names, so
// that any code page works; elsewhere the UTF-8 name as it stands. One
// implementation per platform.
//
// A media folder may be hostile (a share others can write): only regular
// files are read, a FIFO or device is refused before it is opened for
// reading, and the list is never written through a link.
#include <string>

#include "tools/quillet-check/media_reader.h"

namespace quillet {

MediaRead readMediaFile(const std::string& mediaDir, const std::string& listName,
                        const MediaUse& use, std::string* why);

// Writes the media's list as a new file beside it and renames that over the
// list, so a reader sees the old list or the new one, never half of it.
// Refuses, with *why, when the list's name is a symbolic link (a reparse
// point on Windows) or anything else but a regular file.
bool replaceMediaList(const std::string& mediaDir, const std::string& listName,
                      const std::string& text, std::string* why);

}  // namespace quillet
