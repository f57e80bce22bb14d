// On Windows the trial counts are set by DllMain when the DLL loads. The test
// program links the library's objects into itself, where no DllMain runs, so it
// does the same at start-up.
#include "host/internal/process_state.h"

namespace {
const bool attached = (oddsmith::host::on_process_attach(), true);
}  // namespace
