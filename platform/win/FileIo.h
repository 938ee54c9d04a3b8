// Files by UTF-16 path as the phone's runtime opens them, and a whole-file write that never leaves a torn file.
// Paths are UTF-16 (or code page 936 for the 8-bit calls); on disk they are UTF-8 with "/" separators.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdio>
#include <string>

#ifndef ERROR_PATH_NOT_FOUND
#define ERROR_PATH_NOT_FOUND 3L
#endif
#ifndef ERROR_WRITE_FAULT
#define ERROR_WRITE_FAULT 29L
#endif
#ifndef ERROR_DISK_FULL
#define ERROR_DISK_FULL 112L
#endif

// fopen with UTF-16 path and mode ("rb", "wb", "a+", ...; "t" is accepted and means nothing here). A file it
// creates is 0600.
// Null on failure, with the last error set.
FILE* _wfopen(const WCHAR* path, const WCHAR* mode);
BOOL DeleteFileW(LPCWSTR path);
// Creates one folder, 0700; FALSE with ERROR_ALREADY_EXISTS when it is there already.
BOOL CreateDirectoryW(LPCWSTR path, void* securityAttributes);

// Replaces the file at path with exactly size bytes of data: a temporary file in the same folder is written,
// flushed to disk and renamed over the target, so readers see the old file or the new one, never a part.
// FALSE (last error set) when any step fails: the old file untouched, or, when only the flush of the folder after
// the rename failed, the new file in place but perhaps not lasting a crash (a file system that cannot flush folders
// at all, EINVAL, is not a failure). The file is created 0600 (the user's alone);
// temporary files that an interrupted earlier write of the same target left behind are removed first.
BOOL WriteFileAtomically(const WCHAR* path, const void* data, size_t size);

// The on-disk (UTF-8) form of a UTF-16 path or of an 8-bit (code page 936) path.
std::string NativePath(const WCHAR* path);
std::string NativePathFromAnsi(const char* path);
// The same calls for on-disk paths, for the platform's own files.
BOOL WriteFileAtomicallyNative(const std::string& path, const void* data, size_t size);
// The atomic write, skipped when the file holds exactly these bytes already (no rewrite and flushes when nothing
// changed). That the file holds them is trusted only while *failed is false: a write that failed may have renamed
// its bytes in without flushing the folder, so each failure sets it and only a write that succeeds clears it. One
// flag per file, kept by its writer.
BOOL WriteFileIfChangedNative(const std::string& path, const void* data, size_t size, bool* failed);
// Reads the whole file into out. FALSE (errno and last error set, out undefined) when it cannot be opened or a read
// fails: a file read in part is never taken for a whole one.
BOOL ReadFileNative(const std::string& path, std::string* out);
// Appends size bytes to an existing file and flushes them to disk. FALSE (last error set) when any step fails; the
// file is then cut back to its former length, as far as the disk allows.
BOOL AppendFileDurablyNative(const std::string& path, const void* data, size_t size);
// Creates a folder and its missing parents 0700 whatever the umask and flushes the new entries to disk; an
// existing folder is left as it is. FALSE (last error set) when the folder is not there afterwards, or a new
// entry could not be flushed (it may not last a crash).
BOOL CreatePrivateFolderNative(const std::string& path);
// Sets the last error from the current errno.
void SetLastErrorFromErrno();
// For a step that failed with error, whatever clean-up ran since: puts error back in errno, sets the last error
// from it and returns FALSE.
BOOL FailWithErrno(int error);
