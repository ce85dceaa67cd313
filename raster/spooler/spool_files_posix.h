// The POSIX spooler: each spool document is a file doc-NNNN.prn in the spool
// folder ($PLEXOR_SPOOL_DIR, else /var/spool/plexor), numbered in order.
#pragma once

#include <string>

namespace vexmoor {

std::string posixSpoolFolder();
// Path of the next free document number in folder (doc-0001.prn first).
std::string nextSpoolDocumentPath(const std::string& folder, int* number);

}  // namespace vexmoor
