#pragma once

#include "meshlift/meshlift.h"
#include "scene/console_lines.h"
#include "scene/line_sink.h"

#include <string_view>

namespace meshlift::detail {

// One whole conversion of a file into a document, as the program runs it: opens the
// input, creates the document, converts, and reports on the console. Returns the exit
// code.
[[nodiscard]] int runConversion(std::string_view inputPath, std::string_view outputPath, Mode mode,
                                LineSink& console);

// Writes the message about `path` on the console, as the program reports a file it
// cannot use, and returns the exit code that goes with it.
int reportFileFailure(LineSink& console, const console::PathMessage& message,
                      std::string_view path);

} // namespace meshlift::detail
