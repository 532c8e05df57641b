// The library's one road to files, folders and volumes: thin operations over
// the POSIX file services with 64-bit positions and sizes, UTF-16 paths and
// one negative status code per operation, so a caller can tell which step
// failed.
//
// Paths: UTF-16, '\' and '/' both separate folders ('\' is turned into '/'
// before the system sees the path); the system receives UTF-8.
//
// Every operation returns a signed 32-bit status, 0 for success. A null
// pointer where an operation needs one gives -4 unless stated otherwise.
// The platform's error number is not kept, and nothing is reported through
// the assertion layer.
//
// Texts copied into a caller's buffer of `size` units are always terminated:
// a text that does not fit is cut to size - 1 units.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>

#include "w32_system/LxExport.h"
#include "w32_system/LxTypes.h"

// The file layer's own status codes.
enum : int {
    LX_FILE_E_OPEN = -1000,
    LX_FILE_E_CLOSE = -1001,
    LX_FILE_E_READ = -1002,
    LX_FILE_E_WRITE = -1003,
    LX_FILE_E_SEEK = -1004,
    LX_FILE_E_POSITION = -1005,
    LX_FILE_E_LOCK = -1007,
    LX_FILE_E_UNLOCK = -1008,
    LX_FILE_E_SETEOF = -1009,
    LX_FILE_E_TOUCH = -1010,
    LX_FILE_E_GETTIMES = -1011,
    LX_FILE_E_GETSIZE = -1012,
    LX_FILE_E_NOTFOUND = -1013,
    LX_FILE_E_MKDIR = -1014,
    LX_FILE_E_RMDIR = -1015,
    LX_FILE_E_COPY = -1016,
    LX_FILE_E_MOVE = -1017,
    LX_FILE_E_REMOVE = -1019,
    LX_FILE_E_GETCWD = -1020,
    LX_FILE_E_SETCWD = -1021,
    LX_FILE_E_DISKSPACE = -1022,
    LX_FILE_E_TEMPPATH = -1023,
    LX_FILE_E_SEARCHPATH = -1024,
    LX_FILE_E_FINDFIRST = -1025,
    LX_FILE_E_FINDNEXT = -1026,
    LX_FILE_E_FINDCLOSE = -1027,
    LX_FILE_E_DRIVES = -1028,
    LX_FILE_E_VOLUME = -1029,
    LX_FILE_E_ACCESSRIGHTS = -1030,
    LX_FILE_E_SHARING = -1031,
    LX_FILE_E_READONLY = -1101,
    LX_FILE_E_BUFFER_TOO_SMALL = -1102,
    LX_FILE_ASYNC_MORE = -1103,      // an asynchronous step is done, more to come
    LX_FILE_ASYNC_CANCELLED = -1104, // a copy was stopped, or a request's file closed
    LX_FILE_E_EXISTS = -1106,
};

// Units of the fixed name field of the find record.
#define LX_MAX_PATH 260

// LX_OpenFile access bits.
enum : uint32_t {
    LX_FILE_READ = 1,
    LX_FILE_WRITE = 2,
    // Creation: CREATE|ALWAYS creates or empties, CREATE alone creates a new
    // file (fails when it exists), ALWAYS alone opens or creates, TRUNCATE
    // alone opens an existing file and empties it, none opens an existing file.
    LX_FILE_CREATE = 4,
    LX_FILE_ALWAYS = 8,
    LX_FILE_TRUNCATE = 16,
};

// LX_OpenFile share bits: accepted for callers, without meaning on Linux.
enum : uint32_t {
    LX_FILE_SHARE_READ = 1,
    LX_FILE_SHARE_WRITE = 2,
};

// Completion routine of an asynchronous read or write: status 0 finished,
// -1103 one step done and more to come, -1104 its file was closed (the
// request ends), otherwise the failing operation's status; bytesDone counts
// the bytes moved so far.
typedef void (*LX_PFN_ASYNC_RW)(int status, uint32_t bytesDone, uintptr_t userWord);
// Completion routine of an asynchronous copy: status as above, -1104 when
// the continue flag stopped the copy; the source size and the bytes copied
// so far as (low, high) words.
typedef void (*LX_PFN_ASYNC_COPY)(int status, uint32_t sizeLow, uint32_t sizeHigh,
                                  uint32_t copiedLow, uint32_t copiedHigh, uintptr_t userWord);

// The last argument of LX_ReadFile and LX_WriteFile: given, the transfer
// runs as a background request starting at the record's file offset.
// The caller's word is pointer-sized so that it can carry a pointer.
struct SLxAsyncIO {
    uint32_t uiOffsetLow;
    uint32_t uiOffsetHigh;
    uintptr_t uiUserWord;
    LX_PFN_ASYNC_RW pfnCompletion;
};

// Filled by LX_FindFileFirst and LX_FindFileNext. Only the times whose
// pointers are non-null are filled.
struct SLxFindData {
    struct tm* ptmCreation;
    struct tm* ptmLastAccess;
    struct tm* ptmLastWrite;
    uint32_t uiReserved;
    uint64_t ui64Size;
    char16_t wsFileName[LX_MAX_PATH]; // name without its folder
    bool bDirectory;
};

// Drive types of SLxVolumeInfo.
enum : uint32_t {
    LX_DRIVE_UNKNOWN = 0,
    LX_DRIVE_NO_ROOT = 1,
    LX_DRIVE_REMOVABLE = 2,
    LX_DRIVE_FIXED = 3,
    LX_DRIVE_REMOTE = 4,
    LX_DRIVE_CDROM = 5,
    LX_DRIVE_RAMDISK = 6,
};

// Filled by LX_GetVolumeInformation; the caller supplies the buffers.
struct SLxVolumeInfo {
    uint32_t uiDriveType;
    char16_t* pwsVolumeName; // or null
    uint32_t uiVolumeNameSize;
    char16_t* pwsFileSystemName; // or null; always left as an empty text
    uint32_t uiFileSystemNameSize;
    uint32_t uiReserved; // set to 0
};

// An open search of LX_FindFileFirst.
struct SLxFindContext;
typedef SLxFindContext* LX_HFIND;

// ---- Files ----------------------------------------------------------------

// Opens or creates a file (see the access and creation bits above) with the
// random-access hint; templateFile must be -1. Folders are refused. The
// handle is stored only on success.
// -2 templateFile is not -1 (nothing is opened); -4 null path or handle;
// -1000 the system refused.
LX_EXPORT int LX_OpenFile(const char16_t* path, uint32_t access, uint32_t share,
                          LX_HFILE templateFile, LX_HFILE* handle);
// Queued background reads and writes of the handle are cancelled first (their
// routines get -1104), and a step of one that is running is waited for: no
// byte of them reaches the next file that gets the same handle.
// -1001 not an open handle.
LX_EXPORT int LX_CloseFile(LX_HFILE handle);

// Plain call (async null): reads at the file position until `count` bytes
// are read or the end of the file is reached (fewer bytes, still success);
// *bytesRead (may be null) gets the bytes moved, also on failure.
// -4 null buffer with a count; -1002 the read failed.
// With an asynchronous record: hands one request to the background layer
// and returns its status, 0 queued or -9; *bytesRead is not written and the
// buffer must stay valid until the routine reports 0 or a failure.
LX_EXPORT int LX_ReadFile(LX_HFILE handle, void* buffer, uint32_t count, uint32_t* bytesRead,
                          const SLxAsyncIO* async);
// Like LX_ReadFile for writing: -4; -1003 the write failed or stopped short.
LX_EXPORT int LX_WriteFile(LX_HFILE handle, const void* buffer, uint32_t count,
                           uint32_t* bytesWritten, const SLxAsyncIO* async);

// Moves the file position by the signed 64-bit distance (high:low) from
// origin 0 start, 1 current position, 2 end. A position whose low word is
// all ones is valid. -1004 bad origin or handle, or a negative position.
LX_EXPORT int LX_SeekFile(LX_HFILE handle, int32_t distanceLow, int32_t distanceHigh, int origin);
// -4 null position; -1005 (the position is then set to 0).
LX_EXPORT int LX_FilePosition(LX_HFILE handle, uint64_t* position);
// Removes the queued background reads and writes of the file; when one of
// them is running its step, waits for that step and its routine to end
// (unless called from a completion routine). No routine of a removed request
// is called afterwards. Always 0.
LX_EXPORT int LX_CancelAsyncIO(LX_HFILE handle);

// Exclusive byte-range lock that does not wait: it fails when another open
// of the file holds an overlapping lock (read-only handles take a shared
// lock). A length of 0 locks nothing and succeeds.
// -1007 conflict, bad handle or range.
LX_EXPORT int LX_LockFile(LX_HFILE handle, uint32_t offsetLow, uint32_t offsetHigh,
                          uint32_t lengthLow, uint32_t lengthHigh);
// -1008 bad handle or range.
LX_EXPORT int LX_UnlockFile(LX_HFILE handle, uint32_t offsetLow, uint32_t offsetHigh,
                            uint32_t lengthLow, uint32_t lengthHigh);
// Ends the file at the current position. -1009.
LX_EXPORT int LX_SetEOF(LX_HFILE handle);

// Sets the given local times (each may be null; seconds are whole). The
// creation time cannot be set on Linux: it is checked, then ignored.
// -4 a time that is not a valid date and time (month 0-11, day within the
// month, hour 0-23, minute and second 0-59, years 1601 to 30827);
// -1010 the system refused.
LX_EXPORT int LX_TouchFile(LX_HFILE handle, const struct tm* creation, const struct tm* lastAccess,
                           const struct tm* lastWrite);
// Fills the given local times (each may be null) with the weekday, the day
// of the year and tm_isdst = -1. The creation time is the file system's birth
// time, or the last write time where the file system keeps none.
// -1011 the system refused; -9 a time that does not convert.
LX_EXPORT int LX_GetFileTimes(LX_HFILE handle, struct tm* creation, struct tm* lastAccess,
                              struct tm* lastWrite);
// size may be null. -1012 (the size is then set to 0).
LX_EXPORT int LX_GetFileSize(LX_HFILE handle, uint64_t* size);
// Opens the file for reading, takes its size and closes it.
// -4 null size; the open's status (-1000); -1012.
LX_EXPORT int LX_GetFileSizeFromName(const char16_t* path, uint64_t* size);

// mode bit 2: for writing. A file is read-only when it has no write
// permission bit at all (who the caller is does not matter).
// -1013 no such file or folder; -1101 read-only and mode has bit 2.
LX_EXPORT int LX_AccessFile(const char16_t* path, uint32_t mode);

// ---- Folders --------------------------------------------------------------

// Creates one folder, or with `recursive` every missing folder of the path
// in order. A folder that exists already is success. -1014.
LX_EXPORT int LX_CreateDirectory(const char16_t* path, bool recursive);
// Removes an empty folder. -1015.
LX_EXPORT int LX_RemoveDirectory(const char16_t* path);
// Removes the folder's files and folders, then the folder. Entries whose
// names begin with '.' are passed over, so a folder holding one stays
// (-1015). Symbolic links are removed, never followed.
// The first failure inside (-1019, -1015) is returned at once.
LX_EXPORT int LX_RemoveDirectoryRecursively(const char16_t* path);

// Deletes a file (read-only or not). Without `strict`, a file or folder path
// that does not exist counts as success. -1019.
LX_EXPORT int LX_RemoveFile(const char16_t* path, bool strict);

// Copies a file. With neither a continue flag nor a routine: one copy that
// keeps the permission bits and the last write time; -1106 the target exists
// and failIfExists is set; -1016 any other failure (also when source and
// target are the same file, which is left untouched).
// With a continue flag or a routine: both files are opened (the target new
// when failIfExists is set, else created or emptied) and a background copy
// is queued; the open's status (-1000), -1016 the same file, or the
// submission's status (0 or -9; on -9 both files are closed again) is
// returned. Setting *keepGoing to 0 stops the copy after its next chunk.
LX_EXPORT int LX_CopyFile(const char16_t* source, const char16_t* target, bool failIfExists,
                          const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                          uintptr_t userWord);
// Renames, replacing an existing target unless failIfExists is set.
// Across file systems the file is copied with LX_CopyFile and the same
// arguments, and the source stays. -1017 (also an existing target with
// failIfExists); -1031 the target is busy; the copy's status across file
// systems.
LX_EXPORT int LX_MoveFile(const char16_t* source, const char16_t* target, bool failIfExists,
                          const std::atomic<int>* keepGoing, LX_PFN_ASYNC_COPY completion,
                          uintptr_t userWord);
// Moves the target to the backup name (replacing it; skipped when the backup
// name is null or empty), then the replacement to the target, each with
// LX_MoveFile. The status of the failing move.
LX_EXPORT int LX_ReplaceFile(const char16_t* replacement, const char16_t* target,
                             const char16_t* backup, const std::atomic<int>* keepGoing,
                             LX_PFN_ASYNC_COPY completion, uintptr_t userWord);

// -4 null buffer or size 0; -1020; -1102 the buffer is too small (it then
// holds an empty text).
LX_EXPORT int LX_GetCurrentDirectory(char16_t* buffer, uint32_t size);
// -1021.
LX_EXPORT int LX_SetCurrentDirectory(const char16_t* path);
// Bytes available to the caller, total and free of the file system holding
// folder (null: the current folder). Each out may be null. -1022.
LX_EXPORT int LX_GetDiskSpaces(const char16_t* folder, uint64_t* available, uint64_t* total,
                               uint64_t* free);

// ---- Temporary files, search, storage ---------------------------------------

// $TMPDIR, else "/tmp/", always with a closing '/'. -4 null buffer or
// size 0; -1102 the buffer is too small (it then holds an empty text).
LX_EXPORT int LX_GetTempPath(char16_t* buffer, uint32_t size);
// Makes a path in folder (null: the temporary folder) that names no
// existing file, from `pattern`: every run of '$' followed by another
// character becomes one number 0-32767, written with at least as many digits
// as the run is long (the same number for every run); a '$' run at the end
// is kept as is. A pattern without such a run is its own single candidate.
// Concurrent callers draw different numbers; every number is tried at most
// once. With `create`, the file is created (new, read-write) and closed,
// and a name taken meanwhile by someone else is passed over.
// -4 null pattern or buffer, size 0; -1000 no candidate was free or the
// file could not be created; -1102 the buffer cannot hold every name the
// pattern may give (nothing is created, the buffer holds an empty text).
LX_EXPORT int LX_GetTempFileName(const char16_t* folder, const char16_t* pattern, bool create,
                                 char16_t* buffer, uint32_t size);
// Looks for fileName (with `extension`, such as ".so", appended when the
// name has no extension of its own) in the folders of searchPath, separated
// by ':'; null searchPath: the executable's folder, the current folder, then
// $PATH. An absolute fileName is only checked. Folders are not found.
// -4 null fileName or buffer, size 0; -1024 not found; -1102 the buffer is
// too small for the path found (it then holds an empty text).
LX_EXPORT int LX_SearchPath(const char16_t* searchPath, const char16_t* fileName,
                            const char16_t* extension, char16_t* buffer, uint32_t size);

// Sets the process-wide storage folder (null: empty). Always 0.
LX_EXPORT int LX_SetStorageFolder(const char16_t* folder);
// The application-data folder ($XDG_DATA_HOME, else ~/.local/share; with
// `common` the first folder of $XDG_DATA_DIRS, else /usr/local/share), '/'
// and the storage folder. -4 null buffer, size 0, or the folder cannot be
// had; -1102 the buffer is too small (it then holds an empty text).
LX_EXPORT int LX_GetStoragePath(char16_t* buffer, uint32_t size, bool common);

// ---- Find -----------------------------------------------------------------

// pattern: a folder and a name mask with '*' and '?' (matched without regard
// to case; "*.*" matches every name). The entries "." and ".." are listed
// like others. record may be null. The handle is stored only on success.
// -4 null pattern or handle; -1025 no match or no such folder; -9 a time
// that does not convert; -3 out of memory.
LX_EXPORT int LX_FindFileFirst(const char16_t* pattern, LX_HFIND* handle, SLxFindData* record);
// -1026 no further match or bad handle; -9.
LX_EXPORT int LX_FindFileNext(LX_HFIND handle, SLxFindData* record);
// -1027 null handle.
LX_EXPORT int LX_FindFileClose(LX_HFIND handle);

// ---- Volumes --------------------------------------------------------------

// Lists the mount points, each with a closing '/' (except "/" itself) and
// terminated, the list ended by an extra 0. *needed (may be null) gets the
// units of the whole list. -1028 the mounts cannot be read; -1102 the
// buffer is too small (needed size stored).
LX_EXPORT int LX_GetLogicalDriveStrings(char16_t* buffer, uint32_t size, uint32_t* needed);
// The drive type is always filled (1 when root does not exist; null root:
// the current folder). With a text buffer, the volume name is the mounted
// device, followed by " (serial)" in 8 hex digits for removable, CD-ROM and
// RAM disks. -4 null record; -1029.
LX_EXPORT int LX_GetVolumeInformation(const char16_t* root, SLxVolumeInfo* record);
// Network names have no meaning here. Always -13.
LX_EXPORT int LX_GetUNCPath(const char16_t* path, char16_t* buffer, uint32_t size);
// Changes no rights (there are no security descriptors here).
// -1030 the path does not exist; otherwise -2.
LX_EXPORT int LX_SetAccessRights(const char16_t* path, uint32_t rights);

// ---- Mapping --------------------------------------------------------------

// Maps `length` bytes of the file from the 64-bit offset (mode 1 read-only,
// 2 read-write shared with the file, 3 copy-on-write private pages) and
// stores the address of the offset's byte. The view starts at the page
// holding the offset. length 0 maps up to the end of the file. A read-write
// mapping past the end of the file makes the file longer; the other modes
// refuse it. -4 null address or other mode; -9 the mapping failed.
LX_EXPORT int LX_MapFile(LX_HFILE handle, int mode, uint32_t offsetLow, uint32_t offsetHigh,
                         size_t length, void** address);
// address: as stored by LX_MapFile. -4 null; -9 not a mapped address.
LX_EXPORT int LX_UnmapFile(void* address);
