// Whether the output meets a person at a terminal, decided here only: the
// progress bar is drawn only on a terminal's standard error, and colour escapes
// are written only to a terminal's standard output, never while NO_COLOR is set
// to anything non-empty.
#pragma once

namespace cli {

bool progress_wanted();  // standard error is a terminal
bool colour_wanted();    // standard output is a terminal and NO_COLOR is unset or empty

}  // namespace cli
