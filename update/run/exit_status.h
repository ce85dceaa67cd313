#pragma once
// The program's exit status: how a run ended, for deployment tools that start
// "Quillet.exe silent" unattended. The values follow the codes those tools
// already know from installer packages where one fits; the user sees the same
// messages and dialogs whatever the status.
namespace quillet {

enum ExitStatus : int {
  kExitSuccess = 0,
  kExitSuccessRestartRequired = 3010,  // the update asks for a restart
  kExitCancelled = 1602,               // the user cancelled the start dialog
  kExitUpdateFailed = 1603,            // a copy or an uninstall record failed, or
                                       // the single-instance guard could not be made
  kExitAnotherCopyRunning = 1618,
  kExitScriptUnreadable = 1619,        // script missing, unreadable or too large
  kExitMediaRefused = 1620,            // a media file missing, unreadable, changed or cut,
                                       // or not in the media's list of checksums
  kExitNotInstalled = 1605,            // no product key, or a folder of it missing
  kExitVersionRefused = 1638,          // installed version outside the script's bounds
  kExitModelRefused = 1642,            // installed model not among the targets
  kExitNoAdministratorRights = 740,    // the script needs an administrator
  kExitServiceNotRunning = 1627,       // updated, but a service of "startSvc:" that is
                                       // installed does not run at the end
};

}  // namespace quillet
