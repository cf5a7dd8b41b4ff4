#include "updater/signature_check.h"

#include <sodium.h>

#include <vector>

bool HashWholeFile(HANDLE file, std::uint64_t& size, std::array<unsigned char, 32>& digest) {
    if (!SodiumReady()) return false;
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    std::vector<unsigned char> buffer(1 << 16);
    size = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
        if (got == 0) break;
        size += got;
        if (size > kInstallerLimitBytes) return false;
        crypto_hash_sha256_update(&state, buffer.data(), got);
    }
    crypto_hash_sha256_final(&state, digest.data());
    return true;
}
