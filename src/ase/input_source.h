#pragma once

#include "ase/utf16_text.h"
#include "platform/file_system.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>

namespace meshlift::detail {

inline constexpr std::uint64_t kUnknownEnd = std::numeric_limits<std::uint64_t>::max();

// A library caller's own reads: up to `size` bytes at `offset`, -1 when the read failed.
using ReadAtFunction = std::ptrdiff_t (*)(const void* context, std::uint64_t offset, char* data,
                                          std::size_t size);

// Where the bytes of the ASE input come from: a file read by absolute offsets, a block
// of memory read the same way (tests and fuzzing), or the library caller's reads.
// Every input that is not a regular file is spooled into a temporary file first, so
// that any offset can be read again. An input that starts with a UTF-16 byte-order mark
// is read as the UTF-8 text it holds: offsets are then offsets in that text.
struct InputSource {
    static constexpr char kEndMark = 0x1A; // ends the input, as in DOS text files

    platform::File file;
    std::string_view memory;         // the bytes, when there is no file
    ReadAtFunction readAt = nullptr; // the caller's reads, when set
    const void* readContext = nullptr;
    platform::FileIdentity identity;
    std::uint64_t sizeHint = kUnknownEnd; // the size when opened, to size the windows
    std::uint64_t end = kUnknownEnd;      // logical end, once known
    std::uint64_t checkedForMark = 0;     // bytes below this hold no end mark
    bool readFailed = false;              // a read failed; the input ends there for good
    std::unique_ptr<Utf16Text> utf16;     // set when the input is UTF-16
};

enum class InputOpenResult { opened, cannotOpen, cannotRead };

// Opens a path for reading. Pipes, terminals and other streams are copied into a
// temporary file first; a read error while copying is `cannotRead`.
[[nodiscard]] InputOpenResult openInputSource(InputSource& source, const char* path);

// Reads a stream that is already open and stays the caller's, from where it stands
// to its end, through a temporary file like every stream. A handle that is not open is
// `cannotRead`; a temporary file that cannot be made or written is `cannotOpen`.
[[nodiscard]] InputOpenResult openStreamSource(InputSource& source, platform::NativeHandle stream);

// Reads from memory instead of a file; `bytes` must outlive the source.
void openMemorySource(InputSource& source, std::string_view bytes);

// Reads through the caller's function; `size` is the input's size when known.
void openReaderSource(InputSource& source, ReadAtFunction readAt, const void* context,
                      std::uint64_t size);

// Reads up to `size` bytes at `offset`: fewer only at the end of the input, or when a
// read fails, which marks the source failed.
[[nodiscard]] std::size_t readSource(InputSource& source, std::uint64_t offset, char* data,
                                     std::size_t size);

} // namespace meshlift::detail
