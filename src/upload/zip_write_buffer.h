// minizip writes every header field with a call of its own and patches each
// local header after the entry's data. This layer gathers those writes into
// large blocks over another set of file functions (Win32's, in the program),
// and answers seeks and tells without touching the file, so an archive of
// many small files does not cost a dozen system calls per entry.
#pragma once

#include <minizip/ioapi.h>

struct ZipWriteBuffer {
    zlib_filefunc64_def base;    // where the blocks finally go
    zlib_filefunc64_def buffered; // hand this one to minizip
};

// Fills `self.buffered` so that it writes through `base`. `self` must stay at
// its address while minizip uses the functions.
void InitZipWriteBuffer(ZipWriteBuffer& self, const zlib_filefunc64_def& base);
