// Which C library's rand deals the pieces. The same seed deals another sequence on another
// library, so a replay names the one that dealt it, and a program on another library refuses
// to play it back rather than show a different game.
#pragma once

#include <cstdlib> // defines __GLIBC__ where glibc is the C library

#if defined(__EMSCRIPTEN__)
inline constexpr const char* DealingLibrary = "emscripten";
#elif defined(_WIN32)
// MinGW-w64 programs deal with the Microsoft C runtime's rand, msvcrt's or the UCRT's alike.
inline constexpr const char* DealingLibrary = "mscrt";
#elif defined(__GLIBC__)
inline constexpr const char* DealingLibrary = "glibc";
#else
inline constexpr const char* DealingLibrary = "unknown";
#endif
