// The command line arrives as UTF-16, so that any file name opens, whatever the code
// page; the programs keep it as UTF-8.
#include "program.h"
#include "program_support.h"

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments = meshlift::cli::utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return runProgram(argc, pointers.data());
}
