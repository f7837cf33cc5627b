#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace meshlift {

// Where whole lines go: a file descriptor (the scene document, the console) or a
// string (tests and fuzzing). Each line leaves in a single write, so a line is
// never split between two writes and is out as soon as it is complete.
struct LineSink {
    int fd = -1;                   // used when `memory` is null
    std::string* memory = nullptr; // collects the lines instead of a file
    std::string pending;           // the line being assembled; its capacity is reused
    bool failed = false;           // some write did not complete
};

[[nodiscard]] inline LineSink fileSink(int fd) {
    return LineSink{fd, nullptr, {}, false};
}
[[nodiscard]] inline LineSink memorySink(std::string& memory) {
    return LineSink{-1, &memory, {}, false};
}

// Appends text to the line being assembled, without writing it yet.
void writeDocumentText(LineSink& document, std::string_view text);

// Completes the line with its pieces and CR LF, then writes it out.
void writeDocumentLine(LineSink& document, std::initializer_list<std::string_view> pieces);

// A console message: the pieces and LF, written out at once.
void writeConsoleLine(LineSink& console, std::initializer_list<std::string_view> pieces);

} // namespace meshlift
