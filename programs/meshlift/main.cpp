#include "command_line.h"
#include "meshlift/meshlift.h"
#include "program.h"
#include "program_support.h"

namespace {

// Each console line of the conversion leaves in one write as soon as it is complete.
void writeToConsole(meshlift::LineKind, std::string_view line) {
    meshlift::cli::writeStandardOutput(line);
}

} // namespace

int runProgram(int argc, char** argv) {
    using namespace meshlift::cli;
    prepareProcess();
    CommandLine commandLine;
    switch (parseCommandLine(argc, argv, commandLine)) {
    case CommandLineError::invalidMode:
        printLine(kInvalidMode);
        [[fallthrough]];
    case CommandLineError::argumentCount:
        printLine(kUsage);
        return 1;
    case CommandLineError::none:
        break;
    }
    return meshlift::convertFile(commandLine.inputPath, commandLine.outputPath, commandLine.mode,
                                 writeToConsole)
        .exitCode;
}
