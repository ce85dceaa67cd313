#pragma once
// Stages that an earlier run left (it was killed, or a program it started
// still ran from its stage) are deleted at the next start, once the product
// folder is known.
namespace quillet {

class UpdateApp;

void removeLeftoverMediaStages(UpdateApp& app);

}  // namespace quillet
