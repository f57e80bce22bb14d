// The library's load-time entry point: sets the trial counts when the process
// attaches. A constructor on ELF platforms, DllMain on Windows.

#include "host/internal/process_state.h"

#if defined(_WIN32)
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) oddsmith::host::on_process_attach();
  return TRUE;  // nothing to do for detach or thread notifications
}
#else
__attribute__((constructor)) static void oddsmith_process_attach() { oddsmith::host::on_process_attach(); }
#endif
