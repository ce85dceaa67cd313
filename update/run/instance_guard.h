#pragma once
// The single-instance guard: one update run per machine. The semaphore is
// named after the product, not after the program file (a copy renamed by a
// deployment tool is the same tool), and lives in the global namespace, so a
// copy started in another session (a second deployment agent, a remote
// shell) meets it too.
namespace quillet {

inline constexpr const char kInstanceGuardName[] = "Global\\Plexor.Update";

}  // namespace quillet
