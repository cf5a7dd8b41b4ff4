// Deflates the data of ZIP entries, one entry after another, with one zlib
// stream for the whole archive (a fresh stream per file costs more than
// compressing a small file). Raw deflate at level 6, except for pieces whose
// bytes look random (photos, video, archives): their order-0 entropy already
// bounds what deflate's Huffman codes could gain to under 1%, so they go out
// as stored blocks, which cost next to nothing (short repeats inside such
// data go unused; files of that kind rarely have any). The output stays one valid
// deflate stream that every reader takes, and it depends only on the data.
// Free of Win32.
#pragma once

#include <zlib.h>

#include <memory>

class ZipDeflater {
public:
    // Receives the compressed bytes in order; false stops the compression.
    using Sink = bool (*)(void* context, const unsigned char* data, unsigned size);

    ZipDeflater() = default;
    ~ZipDeflater();
    ZipDeflater(const ZipDeflater&) = delete;
    ZipDeflater& operator=(const ZipDeflater&) = delete;

    // Starts a new entry. False when zlib cannot get its memory.
    bool Start(Sink sink, void* context);

    // Compresses the next piece of the entry (256 KiB makes a sensible
    // piece); `last` ends the entry. False when zlib or the sink fails.
    bool Feed(const unsigned char* data, unsigned size, bool last);

private:
    bool Drain(int flush);
    bool SetLevel(int level);

    z_stream stream_{};
    bool initialised_ = false;
    int level_ = 6;
    Sink sink_ = nullptr;
    void* context_ = nullptr;
    std::unique_ptr<unsigned char[]> out_;
};
