#pragma once

#include "scene/mesh_conversion.h"

#include <string_view>

namespace meshlift {

struct CommandLine {
    std::string_view inputPath;
    std::string_view outputPath;
    ConversionMode mode = ConversionMode::tri;
};

enum class CommandLineError { none, argumentCount, invalidMode };

// Two arguments convert in "tri" mode; a third must be exactly "tri" or "quad".
[[nodiscard]] CommandLineError parseCommandLine(int argc, const char* const* argv,
                                                CommandLine& commandLine);

} // namespace meshlift
