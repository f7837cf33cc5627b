#pragma once

// MESHLIFT_API marks the functions that the library exports. A shared build hides every
// other name, so that only the API is part of its interface; MESHLIFT_SHARED is set for
// its users by the build (CMake and pkg-config), and MESHLIFT_BUILDING while it is built.
#if defined(_WIN32) && defined(MESHLIFT_SHARED)
#if defined(MESHLIFT_BUILDING)
#define MESHLIFT_API __declspec(dllexport)
#else
#define MESHLIFT_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define MESHLIFT_API __attribute__((visibility("default")))
#else
#define MESHLIFT_API
#endif
