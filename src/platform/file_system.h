#pragma once

// Every call that the library makes to the operating system, behind one small
// interface with one implementation per platform (file_system_posix.cpp,
// file_system_windows.cpp). Nothing above this folder knows which one it runs on.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace meshlift::detail::platform {

// An open file as the system names it: a descriptor on POSIX, a HANDLE on Windows.
// -1 is invalid on both.
using NativeHandle = std::intptr_t;
inline constexpr NativeHandle kNoHandle = -1;

// What ends a console line: LF on POSIX, CR LF on Windows, as other console programs
// there end theirs. Document lines end in CR LF everywhere.
[[nodiscard]] std::string_view consoleLineBreak();

// Closes the file; false when the system reports a failure (a delayed write error
// on a network file system, for example).
bool closeHandle(NativeHandle handle);

// Owns an open file and closes it when it goes out of scope.
class File {
  public:
    File() = default;
    explicit File(NativeHandle handle) : handle_(handle) {}
    File(File&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) {}
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            close();
            handle_ = std::exchange(other.handle_, kNoHandle);
        }
        return *this;
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() { close(); }

    [[nodiscard]] NativeHandle get() const { return handle_; }
    [[nodiscard]] bool valid() const { return handle_ != kNoHandle; }
    bool close() { return !valid() || closeHandle(std::exchange(handle_, kNoHandle)); }

  private:
    NativeHandle handle_ = kNoHandle;
};

// Which file a name or an open file leads to: the names of one file, links and
// other spellings included, give equal identities.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

enum class FileKind { regular, directory, stream };

struct OpenedFile {
    File file;
    FileKind kind = FileKind::stream;
    FileIdentity identity;
    std::uint64_t size = 0; // of a regular file, when it was opened
};

// Opens an existing file for reading, in binary mode, announced as read in sequence.
[[nodiscard]] std::optional<OpenedFile> openForReading(const char* path);

// Opens a file for writing in binary mode, creating it when it does not exist. An
// existing file keeps its content: the caller truncates once it knows the file is
// not one it must keep.
[[nodiscard]] File openForWriting(const char* path);

[[nodiscard]] std::optional<FileIdentity> identityOfPath(const char* path);
[[nodiscard]] std::optional<FileIdentity> identityOf(NativeHandle handle);

// Cuts a regular file at the handle's current position, so that what is written
// from there on is all that follows it; other files are left as they are.
[[nodiscard]] bool truncateAtPosition(NativeHandle handle);

// Whether every write to the handle goes to the end of its file (opened for appending).
[[nodiscard]] bool appendsOnWrite(NativeHandle handle);

struct ReadResult {
    std::size_t size = 0; // short only at the end of the input or after a failure
    bool failed = false;  // the system reported an error; interruptions are retried
};

// Reads `size` bytes at `offset`, without moving any shared file position.
[[nodiscard]] ReadResult readAt(NativeHandle handle, std::uint64_t offset, char* data,
                                std::size_t size);

// Reads what a stream has ready, up to `size` bytes; 0 bytes means its end. A stream
// set not to block (O_NONBLOCK) that has nothing ready is waited for, not failed.
[[nodiscard]] ReadResult readSome(NativeHandle handle, char* data, std::size_t size);

// Writes all of `data`, retrying short and interrupted writes; false on any error,
// a closed pipe included.
[[nodiscard]] bool writeAll(NativeHandle handle, const char* data, std::size_t size);

// A file for reading and writing that the system removes when it is closed, in the
// user's temporary folder or, when that is unusable, the system's.
[[nodiscard]] File createTemporaryFile();

[[nodiscard]] NativeHandle standardOutput();

// The handle behind a C runtime file descriptor, which stays the caller's.
[[nodiscard]] NativeHandle handleOfDescriptor(int descriptor);

// Whether the handle names an open file. A caller's handle is checked before anything
// else is opened: a closed descriptor's number goes to the next file opened.
[[nodiscard]] bool isOpen(NativeHandle handle);

// Memory that starts as zero bytes, taken straight from the system: its pages are zero
// when first touched, so it costs nothing to clear and its untouched parts cost no
// memory. Null when the system has none to give.
[[nodiscard]] void* allocateZeroed(std::size_t bytes);
void releaseZeroed(void* memory, std::size_t bytes);

} // namespace meshlift::detail::platform
