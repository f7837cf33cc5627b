#pragma once

#include "scene/mesh_conversion.h"

#include <string_view>

namespace meshlift {

inline constexpr std::string_view kUsageLine =
    "Usage : Meshlift inputFile.ASE ouputFile.xml [mode = tri (|quad)]";
inline constexpr std::string_view kInvalidModeLine =
    "Error : invalid mode (tri or quad are supported)";

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
