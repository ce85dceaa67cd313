// The POSIX spooler: each printer is a folder in the spool root
// ($PLEXOR_SPOOL_DIR, else /var/spool/plexor), named by printerFolderName;
// each spool document a file doc-NNNN.prn in it, numbered in order.
#pragma once

#include <string>

namespace vexmoor {

std::string posixSpoolFolder();
// The folder name of a printer (its UTF-8 name, escaped).
std::string printerFolderName(const std::string& printerName);
// Path of the next free document number in folder (doc-0001.prn first).
std::string nextSpoolDocumentPath(const std::string& folder, int* number);

}  // namespace vexmoor
