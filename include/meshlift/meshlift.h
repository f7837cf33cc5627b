#pragma once

// Meshlift as a library: converts the polygon meshes of an ASE scene into an XML scene
// document, exactly as the Meshlift program does.
//
// What is guaranteed:
// - Byte-identical to the program. The document and the console lines are the bytes
//   that `Meshlift input output [tri|quad]` writes for the same scene, mode and names;
//   the exit code is the one the program would end with. Document lines end in CR LF,
//   console lines in the platform's line break (LF; CR LF on Windows).
// - No exceptions leave these calls (they are noexcept). Failures come back in the
//   result, as the program reports them: a console line and exit code 1. A
//   conversion that runs out of memory ends with exit code 1.
// - Separate conversions may run at the same time on separate threads; they share
//   nothing. One conversion uses one thread, the caller's.
// - Memory stays bounded as in the program: a scene is read as a stream, and the
//   document is handed on line by line, never held whole (apart from a buffer that
//   the caller passes in, which stays the caller's).
// - Nothing of the process is changed: no signal handler, no environment variable.
//   Standard output is written only when an output path names the file it writes
//   to, as in the program. Like any program, a caller that writes a document to a
//   pipe whose reader has gone gets SIGPIPE unless it ignores it (the Meshlift
//   program does, and then reports a failed write).
//
// A scene read from a pipe or another stream is first copied to an unlinked temporary
// file in $TMPDIR (else /tmp), as the program does; on Windows, to a file that deletes
// itself on close, in the user's temporary folder (else the system's). There, a
// write to a pipe whose reader has gone simply fails.

#include "meshlift/export.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

namespace meshlift {

// How faces become polygons: `tri` writes every face as a polygon of three corners,
// `quad` joins consecutive pairs of faces into polygons of four corners.
enum class Mode { tri, quad };

// What a conversion ended with: the program's exit code (0 when the conversion ran,
// also for a scene with missing records; 1 when a file could not be opened, read,
// created or written) and the console lines that were not handed to a callback, each
// ending in the platform's line break, exactly as the program prints them.
struct Result {
    int exitCode = 0;
    std::string console;
};

enum class LineKind { document, console };

// Receives each line as soon as it is complete, with its line end, one call per line,
// in the order the program writes them. The view is valid during the call only.
using LineCallback = std::function<void(LineKind kind, std::string_view line)>;

// Converts the scene at `inputPath` into a document at `outputPath`, created or
// truncated, like `Meshlift inputPath outputPath mode`. The console lines are
// collected in the result, or, when `onConsoleLine` is given, handed to it as they
// come (with kind LineKind::console) and the result's console stays empty; when it
// throws, no later line reaches it and the exit code is 1.
// An output path that names the input file itself is refused, and the input is left
// untouched.
[[nodiscard]] MESHLIFT_API Result convertFile(std::string_view inputPath,
                                              std::string_view outputPath, Mode mode = Mode::tri,
                                              const LineCallback& onConsoleLine = nullptr) noexcept;

// Converts a scene held in memory, handing every document line and every console line
// to `onLine`. `inputName` stands for the input's path in the console lines that name
// it. The exit code is 0, or 1 when `onLine` threw: no line follows the one whose call
// threw, and the exception is not passed on. The scene is not copied.
[[nodiscard]] MESHLIFT_API Result convertBuffer(std::string_view scene, Mode mode,
                                                const LineCallback& onLine,
                                                std::string_view inputName = "scene.ASE") noexcept;

// The same for a scene read from an open, readable file descriptor (a file, a pipe, a
// socket; on Windows a C runtime descriptor), from where it stands to its end; one set not
// to block (O_NONBLOCK) is waited for. It is first copied to a temporary file, as the
// program copies a piped input. The descriptor stays open and remains the caller's. The
// exit code is 1, with the program's console line, when:
// - the descriptor is not open (checked before anything else is opened) or cannot be
//   read: "Error reading file : <inputName> !", as for an input the program cannot read;
// - the temporary copy cannot be made or written (no usable temporary folder, a full
//   disk): "Error opening file : <inputName> !", as the program reports a piped input
//   that it cannot copy.
[[nodiscard]] MESHLIFT_API Result
convertDescriptor(int fd, Mode mode, const LineCallback& onLine,
                  std::string_view inputName = "scene.ASE") noexcept;

// A scene that the caller reads for the converter: a file of the caller's own kind, an
// archive member, a Blob in a browser. The converter asks for any offset, some more
// than once (the colour look-ahead reads ahead of the conversion and comes back), in
// blocks of up to 1 MiB; it never asks for the whole scene at once.
struct SceneReader {
    // Puts up to `capacity` bytes of the scene, from `offset` on, into `buffer` and
    // returns how many: 0 at or past the scene's end, -1 when the read failed. A short
    // count is asked again for the rest. A read that throws counts as failed.
    std::function<std::ptrdiff_t(std::uint64_t offset, char* buffer, std::size_t capacity)> readAt;
    // Called once before the first read, when given: false (or a throw) when the scene
    // cannot be opened at all.
    std::function<bool()> open;
    // The scene's size, when known: a small scene then gets small buffers.
    std::uint64_t size = std::numeric_limits<std::uint64_t>::max();
};

// Converts the scene that `scene` reads, handing every document line and every console
// line to `onLine`, as convertBuffer does. The scene is read in blocks, never held
// whole. When `open` says the scene cannot be opened, the one console line is the
// program's for an input it cannot open ("Error opening file : <inputName> !"), no
// document line follows, and the exit code is 1. A read that fails ends the conversion
// as a failed read of a file does: the last line is "Error reading file : <inputName> !"
// and the exit code 1.
[[nodiscard]] MESHLIFT_API Result convertReader(const SceneReader& scene, Mode mode,
                                                const LineCallback& onLine,
                                                std::string_view inputName = "scene.ASE") noexcept;

// A file that could not be used, and the console line that reports it as the programs
// print it, without its line break: "Error opening file : PATH !", "Error creating
// file : PATH !", "Error reading file : PATH !", "Error writing file : PATH !".
enum class FileProblem { cannotOpen, cannotCreate, cannotRead, cannotWrite };
[[nodiscard]] MESHLIFT_API std::string fileProblemLine(FileProblem problem, std::string_view path);

} // namespace meshlift
