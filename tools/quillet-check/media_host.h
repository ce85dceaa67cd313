#pragma once
// Media files on the host by their name in the media's list (UTF-8, "/"
// between folders): on Windows through the wide-character file names, so
// that any code page works; elsewhere the UTF-8 name as it stands.
#include <string>

namespace quillet {

bool readMediaFile(const std::string& mediaDir, const std::string& listName, std::string* bytes);
bool writeMediaFile(const std::string& mediaDir, const std::string& listName,
                    const std::string& bytes);

}  // namespace quillet
