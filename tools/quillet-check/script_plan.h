#pragma once
// quillet-check --plan: what the update will do, in plain words and in the
// order Quillet carries it out.
#include <string>
#include <vector>

#include "tools/quillet-check/plan_facts.h"
#include "update/ports/code_page.h"
#include "update/script/update_job.h"

namespace quillet {

// The plan of a job the reader filled (result 1), or, after the reader
// stopped (result 0), its messages and that the update does not run. UTF-8,
// one statement per line. facts: what the reader told while it read.
std::string planText(int result, const std::vector<std::string>& utf8Messages,
                     const UpdateJob& job, const CodePage& codePage, const PlanFacts& facts);

}  // namespace quillet
