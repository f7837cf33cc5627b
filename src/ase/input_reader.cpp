#include "ase/input_reader.h"

namespace meshlift::detail {

void openInputMemory(InputReader& input, std::string_view bytes, std::size_t blockSize) {
    openMemorySource(input.source, bytes);
    input.window.blockSize = usableBlockSize(blockSize);
    input.lookahead.window.blockSize = input.window.blockSize;
}

} // namespace meshlift::detail
