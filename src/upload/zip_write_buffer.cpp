#include "upload/zip_write_buffer.h"

#include <cstring>
#include <new>

namespace {

constexpr size_t kBlockBytes = 1024 * 1024;

// The bytes [start, start + length) of the file not yet handed to the base.
struct Stream {
    voidpf base = nullptr;
    unsigned char* block = nullptr;
    ZPOS64_T start = 0;
    size_t length = 0;
    ZPOS64_T position = 0;      // where minizip believes it is
    ZPOS64_T basePosition = 0;  // where the base stream is
    bool failed = false;
};

const zlib_filefunc64_def& Base(voidpf opaque) {
    return static_cast<ZipWriteBuffer*>(opaque)->base;
}

bool MoveBase(const zlib_filefunc64_def& base, Stream& s, ZPOS64_T to) {
    if (s.basePosition == to) return true;
    if (base.zseek64_file(base.opaque, s.base, to, ZLIB_FILEFUNC_SEEK_SET) != 0) return false;
    s.basePosition = to;
    return true;
}

bool WriteBase(const zlib_filefunc64_def& base, Stream& s, ZPOS64_T at, const void* data,
               uLong size) {
    if (!MoveBase(base, s, at) || base.zwrite_file(base.opaque, s.base, data, size) != size) {
        s.failed = true;
        return false;
    }
    s.basePosition = at + size;
    return true;
}

bool Flush(const zlib_filefunc64_def& base, Stream& s) {
    if (s.length > 0 && !WriteBase(base, s, s.start, s.block, static_cast<uLong>(s.length))) {
        return false;
    }
    s.length = 0;
    s.start = s.position;
    return true;
}

voidpf ZCALLBACK Open(voidpf opaque, const void* filename, int mode) {
    const zlib_filefunc64_def& base = Base(opaque);
    Stream* s = new (std::nothrow) Stream;
    if (s == nullptr) return nullptr;
    s->block = new (std::nothrow) unsigned char[kBlockBytes];
    if (s->block != nullptr) s->base = base.zopen64_file(base.opaque, filename, mode);
    if (s->base == nullptr) {
        delete[] s->block;
        delete s;
        return nullptr;
    }
    return s;
}

uLong ZCALLBACK Write(voidpf opaque, voidpf stream, const void* data, uLong size) {
    const zlib_filefunc64_def& base = Base(opaque);
    Stream& s = *static_cast<Stream*>(stream);
    const bool inBlock = s.position >= s.start && s.position <= s.start + s.length;
    if (!inBlock || s.position - s.start + size > kBlockBytes) {
        if (!Flush(base, s)) return 0;
        s.start = s.position;
        if (size >= kBlockBytes) {  // too big to gather: straight through
            if (!WriteBase(base, s, s.position, data, size)) return 0;
            s.position += size;
            s.start = s.position;
            return size;
        }
    }
    const size_t at = static_cast<size_t>(s.position - s.start);
    std::memcpy(s.block + at, data, size);
    if (at + size > s.length) s.length = at + size;
    s.position += size;
    return size;
}

uLong ZCALLBACK Read(voidpf opaque, voidpf stream, void* data, uLong size) {
    const zlib_filefunc64_def& base = Base(opaque);
    Stream& s = *static_cast<Stream*>(stream);
    if (!Flush(base, s) || !MoveBase(base, s, s.position)) return 0;
    const uLong got = base.zread_file(base.opaque, s.base, data, size);
    s.position += got;
    s.basePosition = s.position;
    s.start = s.position;
    return got;
}

ZPOS64_T ZCALLBACK Tell(voidpf, voidpf stream) {
    return static_cast<Stream*>(stream)->position;
}

long ZCALLBACK Seek(voidpf opaque, voidpf stream, ZPOS64_T offset, int origin) {
    const zlib_filefunc64_def& base = Base(opaque);
    Stream& s = *static_cast<Stream*>(stream);
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        s.position = offset;
        return 0;
    case ZLIB_FILEFUNC_SEEK_CUR:
        s.position += offset;
        return 0;
    case ZLIB_FILEFUNC_SEEK_END:
        // Only the base knows the end; the block may reach past it.
        if (!Flush(base, s) ||
            base.zseek64_file(base.opaque, s.base, 0, ZLIB_FILEFUNC_SEEK_END) != 0) {
            return -1;
        }
        s.basePosition = base.ztell64_file(base.opaque, s.base);
        if (s.basePosition == static_cast<ZPOS64_T>(-1)) return -1;
        if (offset != 0 && base.zseek64_file(base.opaque, s.base, offset,
                                             ZLIB_FILEFUNC_SEEK_END) != 0) {
            return -1;
        }
        s.basePosition += offset;
        s.position = s.basePosition;
        s.start = s.position;
        return 0;
    default:
        return -1;
    }
}

int ZCALLBACK Close(voidpf opaque, voidpf stream) {
    const zlib_filefunc64_def& base = Base(opaque);
    Stream* s = static_cast<Stream*>(stream);
    const bool flushed = Flush(base, *s);
    const int closed = base.zclose_file(base.opaque, s->base);
    delete[] s->block;
    delete s;
    return flushed ? closed : -1;
}

int ZCALLBACK TestError(voidpf opaque, voidpf stream) {
    const zlib_filefunc64_def& base = Base(opaque);
    Stream& s = *static_cast<Stream*>(stream);
    return s.failed ? -1 : base.zerror_file(base.opaque, s.base);
}

}  // namespace

void InitZipWriteBuffer(ZipWriteBuffer& self, const zlib_filefunc64_def& base) {
    self.base = base;
    self.buffered.zopen64_file = Open;
    self.buffered.zread_file = Read;
    self.buffered.zwrite_file = Write;
    self.buffered.ztell64_file = Tell;
    self.buffered.zseek64_file = Seek;
    self.buffered.zclose_file = Close;
    self.buffered.zerror_file = TestError;
    self.buffered.opaque = &self;
}
