#include "driver/program.h"

int main(int argc, char** argv) {
    return meshlift::runProgram(argc, argv);
}
