// What differs between POSIX systems and Windows, kept in one place: the identity of a file, whether an
// open file is a directory, the local time, a console whose reader has gone away, the standard streams,
// temporary files put in place by a rename and removed on a signal, and how the compiler checks printf
// formats.
//
// Everything else the program does (fopen in binary mode, fread, fwrite, printf to the console) is the
// same on both, so the rest of the code calls nothing system-specific directly.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>

// printf-style format checking for the program's own printf-like functions. MinGW's GCC takes
// format(printf) for the Microsoft runtime's dialect, which knows no %zu; the printf family that the
// program calls there is MinGW's own C99 one (libstdc++ turns it on), as on Linux, so formats are checked
// as gnu_printf.
#ifdef __MINGW32__
#define VALIX_PRINTF_FORMAT(format_index, first_arg)                                                         \
    __attribute__((format(gnu_printf, format_index, first_arg)))
#else
#define VALIX_PRINTF_FORMAT(format_index, first_arg) __attribute__((format(printf, format_index, first_arg)))
#endif

// For the few small steps of the per-field check that run for every field of a document: inlined into
// their caller whatever the compiler's own estimate, so that no call, spill or reload surrounds them.
#if defined(__GNUC__)
#define VALIX_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VALIX_ALWAYS_INLINE inline
#endif
// And the findings they raise, which are rare, kept out of their way.
#if defined(__GNUC__)
#define VALIX_COLD __attribute__((noinline, cold))
#else
#define VALIX_COLD
#endif

namespace util {

// The identity of an existing file: two names of one file (a relative and an absolute path, a hard link)
// give the same identity. POSIX: device and inode; Windows: volume serial number and file index.
struct FileId {
    bool exists = false;
    bool regular = false; // a plain file (not a folder, device, pipe or socket)
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool same(const FileId& o) const {
        return exists && o.exists && volume == o.volume && index == o.index && index != 0;
    }
};

// The identity of the file `name`; `exists` is false when there is no such file or it cannot be examined.
FileId file_id(const char* name);
// The identity of an open file.
FileId file_id(std::FILE* f);

// True when the two names name one file: the same identity when either exists, otherwise the same entry
// (name compared as the system compares names) of the same folder, so that "r.csv", "./r.csv" and
// "sub/../r.csv" are one file before any of them has been created.
bool same_file(const char* a, const char* b);

// True when the open file is a directory, or cannot be examined at all: either way it is no document.
bool is_directory(std::FILE* f);

// Breaks `t` down into the local date and time; false when the system cannot (the fields are then zero).
bool local_time(std::time_t t, std::tm& out);

// Writing to a console pipe whose reader has gone must not end the run before the report is complete.
// POSIX kills the process with SIGPIPE unless it is ignored; Windows only fails the write.
// A file that grows past the process's size limit fails its write instead of ending the process
// (SIGXFSZ), so that the run reports it like a full disk.
void ignore_broken_pipe();

// Descriptors 0, 1 and 2 that a parent left closed are opened to the null device, so that no file the run
// opens later takes the place of the console (console text would be written into the report).
void open_standard_streams();

// A new file in the folder of `name`, opened for writing in binary mode, to be put in place of `name` by
// replace_file() once it is complete; its name is stored in `temp` (room bytes). A signal that ends the
// process removes it (see remove_on_signal). Null when no such file can be made.
std::FILE* open_temporary_beside(const char* name, char* temp, std::size_t room);
// Puts the closed file `temp` in place of `name` in one step (rename; MoveFileEx with replace on
// Windows): a reader of `name` sees the previous file or the new one, never a part of either.
bool replace_file(const char* temp, const char* name);
// True when the existing file `name` may be written (it is not read-only for this process).
bool may_write(const char* name);
// Removes a file; false when it cannot.
bool remove_file(const char* name);
// The name to be replaced when `name` is written: a symbolic link stands for the file it points to, so
// the link stays and its file is replaced. False when there is no such plain name (a dangling link).
bool replacement_name(const char* name, char* out, std::size_t room);

// Up to two temporary files are removed when the process is ended by a signal (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT; Ctrl+C or a closed console window on Windows); the signal then ends the process as it would
// have. catch_end_signals(true) installs the handlers, catch_end_signals(false) restores the previous
// ones; a signal that was ignored stays ignored.
void catch_end_signals(bool on);
void remove_on_signal(int slot, const char* name); // slot 0 or 1; a null name forgets the slot

} // namespace util
