#pragma once
// The first thing a run does after its single-instance check: an update that
// was ended from outside (a killed process, a power cut) is put back, or
// finished when it had already committed, and the services it stopped run
// again. Then the run goes on as usual.
namespace quillet {

class UpdateApp;

// 1 when the machine is in order (nothing found, put back or finished); 0
// when the interrupted update could not be put back (the run must not
// change anything on top of it; the journal stays for the next start).
int recoverInterruptedRun(UpdateApp& app);

}  // namespace quillet
