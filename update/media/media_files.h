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
// ("toolshortcut:" sources lie in the product's tool folder, for one) or
// when the rest leaves the folder (see staysInsideMedia).
bool mediaNameOf(const std::string& folder, const std::string& path, const CodePage& codePage,
                 std::string* mediaName);

// True for a relative name that stays inside the media folder: not empty,
// no drive, stream or root ("C:", ":", a leading "\" or "/", so no UNC
// prefix either), and no part made only of dots and blanks but "." (Windows
// takes ".." up a folder and drops trailing dots and blanks). "\" and "/"
// both separate parts; the backslash is found multi-byte aware in the code
// page (null: UTF-8, where every 0x5C is a backslash).
bool staysInsideMedia(const std::string& name, const CodePage* codePage);

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
std::vector<std::string> copiedMediaNames(const UpdateJob& job, const CodePage& codePage);

// The media file a launch entry runs: the program of a "goExe:" or
// "goExeParam:" line that lies in the media folder, or the script of a
// script-host line when its name is relative (taken in the media folder).
// False for a program outside the media (the system's, the product's).
bool launchedMediaName(const LaunchEntry& entry, const std::string& sourceDir,
                       const CodePage& codePage, std::string* mediaName);

// Every media file the run uses and the seal covers: the copied ones (as
// copiedMediaNames), then the launched ones, each once, in table order.
// quillet-check --seal lists these; the run requires them in the list.
std::vector<std::string> sealedMediaNames(const UpdateJob& job, const CodePage& codePage);

}  // namespace quillet
