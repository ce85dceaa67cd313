#pragma once
// Which files of the update media a run reads, and how their names are
// written in the media's list. A media name is the part of a path after the
// media folder ("sourceDir") and its backslash, in the code page of the
// script; the list writes it with "/" between folders and in UTF-8, as
// sha256sum on any system reads names.
#include <string>
#include <vector>

#include "update/ports/code_page.h"
#include "update/script/update_job.h"

namespace quillet {

extern const char kTitlePictureName[];  // "title.bmp"

// The media name of a path below the folder; false when it is not below it
// ("toolshortcut:" sources lie in the product's tool folder, for one).
bool mediaNameOf(const std::string& folder, const std::string& path, std::string* mediaName);

// The media name as the list writes it ("\" to "/" between folders, UTF-8);
// false when the name is not text in the code page.
bool listNameOf(const std::string& mediaName, const CodePage& codePage, std::string* listName);

// Back from the list: the media name in the code page with "\" between
// folders; false when the code page has no exact form of the name.
bool mediaNameFromList(const std::string& listName, const CodePage& codePage,
                       std::string* mediaName);

// The name for messages: UTF-8 with "\" between folders, as the operator
// knows the media.
std::string shownMediaName(const std::string& mediaName, const CodePage& codePage);

// The media files the job copies: the source of every entry that places a
// file (not "remove:") and lies in the media folder, each once, in the
// order of the job's table.
std::vector<std::string> copiedMediaNames(const UpdateJob& job);

}  // namespace quillet
