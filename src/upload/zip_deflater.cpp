#include "upload/zip_deflater.h"

#include <cmath>
#include <new>

namespace {

constexpr int kLevel = 6;
constexpr int kStored = 0;
constexpr int kRawWindowBits = -15;  // no zlib header inside a ZIP entry
constexpr int kMemLevel = 8;
constexpr unsigned kOutBytes = 64 * 1024;
// Huffman codes cannot shrink bytes of this entropy by 1%; smaller pieces
// than kMinJudged are too short for their entropy to say much.
constexpr double kStoreFromEntropy = 7.92;
constexpr unsigned kMinJudged = 4096;

// Order-0 entropy of the bytes in bits per byte (0 to 8).
double ByteEntropy(const unsigned char* data, unsigned size) {
    if (size == 0) return 0;
    unsigned counts[256] = {};
    for (unsigned i = 0; i < size; ++i) ++counts[data[i]];
    double sum = 0;  // sum of c * log2(c)
    for (unsigned c : counts) {
        if (c > 0) sum += c * std::log2(static_cast<double>(c));
    }
    return std::log2(static_cast<double>(size)) - sum / size;
}

}  // namespace

ZipDeflater::~ZipDeflater() {
    if (initialised_) deflateEnd(&stream_);
}

bool ZipDeflater::Start(Sink sink, void* context) {
    sink_ = sink;
    context_ = context;
    if (!out_) {
        out_.reset(new (std::nothrow) unsigned char[kOutBytes]);
        if (!out_) return false;
    }
    if (!initialised_) {
        initialised_ = deflateInit2(&stream_, kLevel, Z_DEFLATED, kRawWindowBits, kMemLevel,
                                    Z_DEFAULT_STRATEGY) == Z_OK;
        level_ = kLevel;
        return initialised_;
    }
    return deflateReset(&stream_) == Z_OK;
}

// Runs deflate until it has taken all input and, for Z_BLOCK and Z_FINISH,
// written everything out; hands each full or final buffer to the sink.
bool ZipDeflater::Drain(int flush) {
    for (;;) {
        stream_.next_out = out_.get();
        stream_.avail_out = kOutBytes;
        const int result = deflate(&stream_, flush);
        if (result == Z_STREAM_ERROR) return false;
        const unsigned produced = kOutBytes - stream_.avail_out;
        if (produced > 0 && !sink_(context_, out_.get(), produced)) return false;
        // Output space left over means deflate has nothing more to say.
        if (stream_.avail_out != 0 && stream_.avail_in == 0) {
            return flush != Z_FINISH || result == Z_STREAM_END;
        }
    }
}

// Between pieces nothing is pending (each ends with Z_BLOCK or starts the
// entry), so changing the level emits nothing.
bool ZipDeflater::SetLevel(int level) {
    if (level == level_) return true;
    stream_.next_out = out_.get();
    stream_.avail_out = kOutBytes;
    if (deflateParams(&stream_, level, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    const unsigned produced = kOutBytes - stream_.avail_out;
    if (produced > 0 && !sink_(context_, out_.get(), produced)) return false;
    level_ = level;
    return true;
}

bool ZipDeflater::Feed(const unsigned char* data, unsigned size, bool last) {
    if (size >= kMinJudged || level_ != kLevel) {
        const bool random = size >= kMinJudged && ByteEntropy(data, size) >= kStoreFromEntropy;
        if (!SetLevel(random ? kStored : kLevel)) return false;
    }
    stream_.next_in = const_cast<unsigned char*>(data);
    stream_.avail_in = size;
    // Z_BLOCK ends the piece's block, so the next piece may change the level.
    return Drain(last ? Z_FINISH : Z_BLOCK);
}
