#include "command_line.h"
#include "meshlift/meshlift.h"
#include "platform/program_support.h"
#include "program.h"

namespace {

namespace platform = meshlift::detail::platform;

// Each console line of the conversion leaves in one write as soon as it is complete.
void writeToConsole(meshlift::LineKind, std::string_view line) {
    platform::writeStandardOutput(line);
}

} // namespace

int runProgram(int argc, char** argv) {
    using namespace meshlift::cli;
    platform::prepareProcess();
    CommandLine commandLine;
    switch (parseCommandLine(argc, argv, commandLine)) {
    case CommandLineError::invalidMode:
        platform::writeConsoleLine(kInvalidMode);
        [[fallthrough]];
    case CommandLineError::argumentCount:
        platform::writeConsoleLine(kUsage);
        return 1;
    case CommandLineError::none:
        break;
    }
    return meshlift::convertFile(commandLine.inputPath, commandLine.outputPath, commandLine.mode,
                                 writeToConsole)
        .exitCode;
}
