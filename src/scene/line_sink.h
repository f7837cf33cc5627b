#pragma once

#include "ase/token_text.h"
#include "platform/file_system.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace meshlift::detail {

// Where whole lines go: a file descriptor (the scene document, the console), a
// string (tests and fuzzing) or a receiver function (library callers). Each line
// leaves in a single write, so a line is never split between two writes and is out
// as soon as it is complete; lines that become complete together may be held and
// then leave back to back.
struct LineSink {
    static constexpr std::size_t kMaxHeldLines = 8;

    // Used when `memory` and `receiver` are null.
    platform::NativeHandle file = platform::kNoHandle;
    std::string* memory = nullptr; // collects the lines instead of a file
    // Receives each line instead, when set; returns false when the line was not taken.
    bool (*receiver)(void* context, std::string_view line) = nullptr;
    void* receiverContext = nullptr;
    // Once this is set, lines are dropped: a conversion whose input failed must not
    // go on writing what it makes of the missing rest.
    const bool* stopWhen = nullptr;
    std::unique_ptr<char[]> line; // the lines being assembled; reused for every line
    std::size_t capacity = 0;
    std::size_t pending = 0; // bytes assembled so far
    // Ends of the complete lines held in `line`, each still to be written.
    std::size_t heldEnds[kMaxHeldLines] = {};
    std::size_t held = 0;
    bool failed = false; // some write did not complete
};

[[nodiscard]] inline LineSink fileSink(platform::NativeHandle file) {
    LineSink sink;
    sink.file = file;
    return sink;
}
[[nodiscard]] inline LineSink memorySink(std::string& memory) {
    LineSink sink;
    sink.memory = &memory;
    return sink;
}
[[nodiscard]] inline LineSink receiverSink(bool (*receiver)(void*, std::string_view),
                                           void* context) {
    LineSink sink;
    sink.receiver = receiver;
    sink.receiverContext = context;
    return sink;
}

// Makes room for `more` bytes after the pending ones; returns where they go.
[[nodiscard]] char* growLine(LineSink& sink, std::size_t more);

// Writes out each held line, one write per line, in order.
void sendHeldLines(LineSink& sink);

// Marks the bytes assembled up to `end` as one complete line, held until
// sendHeldLines; a hold that fills up is written out at once.
inline void completeLine(LineSink& sink, const char* end) {
    sink.pending = static_cast<std::size_t>(end - sink.line.get());
    sink.heldEnds[sink.held++] = sink.pending;
    if (sink.held == LineSink::kMaxHeldLines) sendHeldLines(sink);
}

namespace line_pieces {

// The room a piece needs: its size, and for a token field the whole inline buffer,
// which is copied in one fixed-size move.
[[nodiscard]] constexpr std::size_t roomFor(std::string_view piece) {
    return piece.size();
}
[[nodiscard]] inline std::size_t roomFor(const TokenText& piece) {
    return piece.size() > TokenText::kInline ? piece.size() : TokenText::kInline;
}

// A string literal: its size is known where the line is assembled.
template <std::size_t N> [[nodiscard]] constexpr std::size_t roomFor(const char (&)[N]) {
    return N - 1;
}
template <std::size_t N> char* put(char* at, const char (&piece)[N]) {
    std::memcpy(at, piece, N - 1);
    return at + (N - 1);
}

inline char* put(char* at, std::string_view piece) {
    std::memcpy(at, piece.data(), piece.size());
    return at + piece.size();
}
inline char* put(char* at, const TokenText& piece) {
    return piece.copyTo(at);
}

template <typename... Pieces>
void holdLine(LineSink& sink, std::string_view lineEnd, const Pieces&... pieces) {
    const std::size_t room = (roomFor(pieces) + ... + lineEnd.size());
    char* at = sink.pending + room <= sink.capacity ? sink.line.get() + sink.pending
                                                    : growLine(sink, room);
    ((at = put(at, pieces)), ...);
    at = put(at, lineEnd);
    completeLine(sink, at);
}

} // namespace line_pieces

// Appends text to the line being assembled, without writing it yet.
void writeDocumentText(LineSink& document, std::string_view text);

// Completes the line with its pieces (texts and token fields) and CR LF, then
// writes it out. Assembled inline: a document has a line for every vertex and
// every polygon corner.
template <typename... Pieces> void writeDocumentLine(LineSink& document, const Pieces&... pieces) {
    line_pieces::holdLine(document, "\r\n", pieces...);
    sendHeldLines(document);
}

// Completes a line like writeDocumentLine but holds it, for lines that become
// complete together (a polygon's lines): they are assembled first and then leave
// back to back, still one write each, on sendHeldLines. Between two writes the
// program then does little else.
template <typename... Pieces> void holdDocumentLine(LineSink& document, const Pieces&... pieces) {
    line_pieces::holdLine(document, "\r\n", pieces...);
}

// A console message: the pieces and the platform's line break, written out at once.
template <typename... Pieces> void writeConsoleLine(LineSink& console, const Pieces&... pieces) {
    line_pieces::holdLine(console, platform::consoleLineBreak(), pieces...);
    sendHeldLines(console);
}

} // namespace meshlift::detail
