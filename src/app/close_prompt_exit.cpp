#include "app/close_prompt_exit.h"

#include <QCoreApplication>
#include <cstdlib>

namespace korvane {

ProcessEnd real_process_end() {
    return {
        [](int exit_code) { std::_Exit(exit_code); },
        [](int exit_code) {
            QCoreApplication::exit(exit_code);
            std::exit(exit_code);
        },
    };
}

}  // namespace korvane
