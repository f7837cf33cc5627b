#pragma once

#include "driver/command_line.h"
#include "scene/line_sink.h"

namespace meshlift {

// One whole run of the program after its arguments were checked: opens the input,
// creates the document, converts, and reports on the console. Returns the exit code.
[[nodiscard]] int runConversion(const CommandLine& commandLine, LineSink& console);

} // namespace meshlift
