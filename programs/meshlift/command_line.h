#pragma once

#include "meshlift/meshlift.h"

#include <string_view>

namespace meshlift::cli {

// The program's own console lines, as users and their scripts see them: the
// misspelling "ouputFile" is what those scripts match.
inline constexpr std::string_view kUsage =
    "Usage : Meshlift inputFile.ASE ouputFile.xml [mode = tri (|quad)]";
inline constexpr std::string_view kInvalidMode = "Error : invalid mode (tri or quad are supported)";

struct CommandLine {
    std::string_view inputPath;
    std::string_view outputPath;
    Mode mode = Mode::tri;
};

enum class CommandLineError { none, argumentCount, invalidMode };

// Two arguments convert in "tri" mode; a third must be exactly "tri" or "quad".
[[nodiscard]] CommandLineError parseCommandLine(int argc, const char* const* argv,
                                                CommandLine& commandLine);

} // namespace meshlift::cli
