// The program's static objects: the platform adapters, the operations of the
// other parts and the one application object over them. All live in this one
// file so that they are constructed in this order before WinMain runs.
#include "update/app/win32_user_interface.h"
#include "update/run/linked_operations.h"
#include "update/run/update_app.h"
#include "update/win32/win32_clock.h"
#include "update/win32/win32_code_page.h"
#include "update/win32/win32_file_system.h"
#include "update/win32/win32_processes.h"
#include "update/win32/win32_registry.h"
#include "update/win32/win32_run_log.h"
#include "update/win32/win32_services.h"
#include "update/win32/win32_shell.h"
#include "update/win32/win32_system.h"

namespace {

quillet::Win32Registry registry;
quillet::Win32FileSystem files;
quillet::Win32System systemPort;
quillet::Win32Clock clockPort;
quillet::Win32UserInterface userInterface;
quillet::Win32Services services;
quillet::Win32Processes processes;
quillet::Win32CodePage codePage;
quillet::Win32Shell shell;
quillet::UpdatePorts ports{registry, files, systemPort, clockPort, userInterface, services,
                           processes, codePage, shell};
quillet::LinkedOperations operations;
quillet::Win32RunLog runLog;

quillet::UpdateApp theApp(ports, operations, &runLog, quillet::win32LastError);

}  // namespace
