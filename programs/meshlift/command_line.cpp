#include "command_line.h"

namespace meshlift::cli {

CommandLineError parseCommandLine(int argc, const char* const* argv, CommandLine& commandLine) {
    if (argc != 3 && argc != 4) return CommandLineError::argumentCount;
    if (argc == 4) {
        const std::string_view mode = argv[3];
        if (mode == "tri")
            commandLine.mode = Mode::tri;
        else if (mode == "quad")
            commandLine.mode = Mode::quad;
        else
            return CommandLineError::invalidMode;
    }
    commandLine.inputPath = argv[1];
    commandLine.outputPath = argv[2];
    return CommandLineError::none;
}

} // namespace meshlift::cli
