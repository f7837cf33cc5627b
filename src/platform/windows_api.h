#pragma once

// The Win32 API as the Windows files of this folder use it: without the rarely used
// parts, and without the min and max macros that would break the standard library's.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace meshlift::detail::platform {

// Paths are UTF-8 inside the programs. A name that is not valid UTF-8 names no file
// here: it gives an empty result, which opens nothing.
[[nodiscard]] std::wstring widen(const char* path);

} // namespace meshlift::detail::platform
