// The POSIX spooler: each printer is a folder in the spool root
// ($PLEXOR_SPOOL_DIR, else /var/spool/plexor), found by printerSpoolFolder;
// each spool document a file doc-NNNN.prn in it, numbered in order.
#pragma once

#include <string>

namespace vexmoor {

std::string posixSpoolFolder();
// The folder name of a printer, from its name's bytes: UTF-8 text as it
// stands, '/', '%', control bytes, a leading '.' and every byte that is not
// UTF-8 text as %XX. A name longer than a folder name can be once escaped
// becomes its first characters in upper case, "%~" and a digest of the
// whole name in upper case.
std::string printerFolderName(const std::string& printerName);
// The path of the printer's folder in root: the folder there whose name is
// the printer's folder name but for letter case (the first in byte order
// when there are several), else root/printerFolderName. It need not exist
// yet. The module and riphost both find a printer's folder by this.
std::string printerSpoolFolder(const std::string& root, const std::string& printerName);
// Path of the next free document number in folder (doc-0001.prn first).
std::string nextSpoolDocumentPath(const std::string& folder, int* number);

}  // namespace vexmoor
