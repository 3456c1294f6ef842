// What differs between POSIX systems and Windows, kept in one place: the identity of a file, whether an
// open file is a directory, the local time, a console whose reader has gone away, and how the compiler
// checks printf formats.
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
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool same(const FileId& o) const {
        return exists && o.exists && volume == o.volume && index == o.index && index != 0;
    }
};

// The identity of the file `name`; `exists` is false when there is no such file or it cannot be examined.
FileId file_id(const char* name);

// True when the open file is a directory, or cannot be examined at all: either way it is no document.
bool is_directory(std::FILE* f);

// Breaks `t` down into the local date and time; false when the system cannot (the fields are then zero).
bool local_time(std::time_t t, std::tm& out);

// Writing to a console pipe whose reader has gone must not end the run before the report is complete.
// POSIX kills the process with SIGPIPE unless it is ignored; Windows only fails the write.
void ignore_broken_pipe();

} // namespace util
