#include "base/random_bytes.h"

#include <windows.h>
#include <ntsecapi.h>

bool RandomBytes(void* buffer, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        const ULONG chunk = size > 0x10000 ? 0x10000 : static_cast<ULONG>(size);
        if (!RtlGenRandom(bytes, chunk)) return false;
        bytes += chunk;
        size -= chunk;
    }
    return true;
}

std::uint64_t RandomKey() {
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::uint64_t key = 0;
        if (!RandomBytes(&key, sizeof key)) return 0;
        if (key != 0) return key;
    }
    return 0;
}
