#include "terminal.h"

#include <cstdlib>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace cli {

bool progress_wanted() { return isatty(2) != 0; }

bool colour_wanted() {
  const char* no_colour = std::getenv("NO_COLOR");
  return isatty(1) != 0 && (no_colour == nullptr || *no_colour == '\0');
}

}  // namespace cli
