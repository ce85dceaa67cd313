#pragma once
// The checker's report: {"result", "messages", "job"} as JSON, with the
// job's cp932 texts converted to UTF-8.
#include <string>
#include <vector>

#include "update/ports/code_page.h"
#include "update/script/update_job.h"

namespace quillet {

// A JSON string literal of UTF-8 text (quotes included).
std::string jsonString(const std::string& utf8);

std::string checkReportJson(int result, const std::vector<std::string>& utf8Messages,
                            const UpdateJob& job, const CodePage& codePage);

}  // namespace quillet
