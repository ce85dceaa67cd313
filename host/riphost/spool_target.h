// Makes the module's spool documents land in the output folder as
// doc-0001.prn, doc-0002.prn, ...
#pragma once

#include <string>

namespace riphost {

// Natively: a private spool root (PLEXOR_SPOOL_DIR) whose folder for the
// printer is a link to the output folder. On Windows: a raw printer of that
// name whose port writes each document into the folder.
bool prepareSpoolTarget(const std::string& outDir, const std::string& printerName, std::string& error);

}  // namespace riphost
