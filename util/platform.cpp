#include "util/platform.h"

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <csignal>
#include <sys/stat.h>
#endif

namespace util {

#ifdef _WIN32

// _stat fills st_ino with 0 on Windows, so it cannot tell two names of one file apart from two files;
// the file index of an open handle can. The handle asks for no access, so a file that another program
// holds open, or that may only be read, is still examined; FILE_FLAG_BACKUP_SEMANTICS lets it open a
// folder too.
FileId file_id(const char* name) {
    const HANDLE h = ::CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = ::GetFileInformationByHandle(h, &info) != 0;
    ::CloseHandle(h);
    if (!ok)
        return {};
    return {true, info.dwVolumeSerialNumber,
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool is_directory(std::FILE* f) {
    struct _stat64 st;
    return ::_fstat64(::_fileno(f), &st) != 0 || (st.st_mode & _S_IFDIR) != 0;
}

bool local_time(std::time_t t, std::tm& out) {
    if (::localtime_s(&out, &t) == 0)
        return true;
    out = std::tm{};
    return false;
}

void ignore_broken_pipe() {}

#else

FileId file_id(const char* name) {
    struct stat st;
    if (::stat(name, &st) != 0)
        return {};
    return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool is_directory(std::FILE* f) {
    struct stat st;
    return ::fstat(::fileno(f), &st) != 0 || S_ISDIR(st.st_mode);
}

bool local_time(std::time_t t, std::tm& out) {
    if (::localtime_r(&t, &out) != nullptr)
        return true;
    out = std::tm{};
    return false;
}

void ignore_broken_pipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

#endif

} // namespace util
