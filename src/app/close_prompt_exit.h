// How the close prompt's exit choice ends the process. Tests put in their own so that the
// runner survives.
#pragma once

#include <functional>

namespace korvane {

struct ProcessEnd {
    // Ends the own process at once: no clean-up, no saving, other threads cut off.
    std::function<void(int exit_code)> terminate;
    // Runs only if the process is somehow still there: the toolkit's own end of the program.
    std::function<void(int exit_code)> toolkit_exit;
};

ProcessEnd real_process_end();

}  // namespace korvane
