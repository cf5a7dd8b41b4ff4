// Packs a folder into a ZIP archive for upload. A thin layer on minizip:
// entry names are UTF-8 (general-purpose bit 11), relative to the folder's
// parent and separated by "/"; every folder gets a directory entry; files
// carry their last write time (local time) and are deflated at level 6,
// except stretches of random-looking data (photos, archives), which go into
// the deflate stream as stored blocks (see zip_deflater.h); Zip64 is used
// only for files near 4 GiB or more. Files are read in 256 KiB pieces.
#pragma once

using HZIP = struct ZipArchive*;

// Results. Every call returns kZipOk (0) on success, one of the others on
// failure.
enum ZipResult : int {
    kZipOk = 0,
    kZipBadArgument = 1,      // null handle or path, offset outside the path
    kZipCannotCreate = 2,     // the archive file could not be created
    kZipNotAFolder = 3,       // the path to add is missing or is a file
    kZipCannotListFolder = 4, // a folder (the given one or one below) cannot be listed
    kZipCannotOpenFile = 5,   // a file below the folder cannot be opened
    kZipCannotReadFile = 6,   // reading a file failed part way
    kZipCannotWrite = 7,      // writing the archive failed (disk full, ...)
    kZipOutOfMemory = 8,
};

// Creates (or truncates) the archive at `path`. `password` null stores the
// entries unencrypted; otherwise they get traditional PKWARE encryption.
// On failure *out is null.
int ZipCreateFileW(HZIP* out, const wchar_t* path, const char* password);

// Adds `folder` with everything below it. `offset` is the number of
// characters of `folder` up to and including its last backslash: each entry is
// named by its path with those characters cut off, so names start with the
// folder's own name. Folders come before their contents, names sorted within
// each folder. Directory links (junctions) are stored as empty folders, not
// followed, so a link loop cannot make the archive endless; the archive file
// itself is skipped when it lies inside the folder.
// A file that cannot be opened or read, or a folder that cannot be listed,
// fails the whole call: an archive that silently lacks files would be
// uploaded as if it were complete. After a failure the archive takes no
// further folders.
int ZipAddDirW(HZIP zip, const wchar_t* folder, int offset);

// Writes the central directory and closes the file; the archive is complete
// on disk when this returns kZipOk. Frees the handle in every case. Returns
// the first failure in the archive's life, so a caller that only checks this
// result still learns that a folder went missing.
int ZipClose(HZIP zip);
