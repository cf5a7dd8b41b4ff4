// Unpredictable bytes from the system's generator, for keys and names that
// other processes must not guess.
#pragma once

#include <cstddef>
#include <cstdint>

// Fills `buffer`; false when the system gave nothing (the buffer is then
// not to be used).
bool RandomBytes(void* buffer, std::size_t size);

// A random 64-bit value that is never 0, or 0 when the system gave nothing.
std::uint64_t RandomKey();
