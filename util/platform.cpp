#include "util/platform.h"

#include <csignal>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace util {

namespace {

// Room for the name of a temporary file: an argument of 60 characters, or the target of a link, and the
// suffix.
constexpr std::size_t kNameRoom = 4200;

// The temporary files that a signal removes; written before the slot is marked, read by the handler.
char signal_names[2][kNameRoom];
volatile std::sig_atomic_t signal_slot_set[2] = {0, 0};

#ifdef _WIN32
constexpr bool kFoldCase = true;
bool is_separator(char c) {
    return c == '/' || c == '\\' || c == ':';
}
#else
constexpr bool kFoldCase = false;
bool is_separator(char c) {
    return c == '/';
}
#endif

// The folder part of a name ("." when it has none) and its last part.
void split_name(const char* name, char* folder, std::size_t room, const char*& base) {
    const char* last = nullptr;
    for (const char* p = name; *p != '\0'; ++p)
        if (is_separator(*p))
            last = p;
    if (last == nullptr) {
        std::snprintf(folder, room, ".");
        base = name;
        return;
    }
    // "/r.csv" lies in "/", "C:r.csv" in "C:", "C:\r.csv" in "C:\".
    const std::size_t n = static_cast<std::size_t>(last - name) + (last == name || *last == ':' ? 1 : 0);
    std::snprintf(folder, room, "%.*s", static_cast<int>(n), name);
#ifdef _WIN32
    if (n == 2 && name[1] == ':' && *last != ':')
        std::snprintf(folder, room, "%.3s", name);
#endif
    base = last + 1;
}

bool same_entry_name(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = *a;
        char y = *b;
        if (kFoldCase) {
            if (x >= 'A' && x <= 'Z')
                x = static_cast<char>(x - 'A' + 'a');
            if (y >= 'A' && y <= 'Z')
                y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y)
            return false;
        if (x == '\0')
            return true;
    }
}

} // namespace

bool same_file(const char* a, const char* b) {
    const FileId ia = file_id(a);
    const FileId ib = file_id(b);
    if (ia.exists || ib.exists)
        return ia.same(ib);
    char folder_a[kNameRoom];
    char folder_b[kNameRoom];
    const char* base_a = nullptr;
    const char* base_b = nullptr;
    split_name(a, folder_a, sizeof folder_a, base_a);
    split_name(b, folder_b, sizeof folder_b, base_b);
    if (*base_a == '\0' || *base_b == '\0')
        return std::strcmp(a, b) == 0;
    return same_entry_name(base_a, base_b) && file_id(folder_a).same(file_id(folder_b));
}

void remove_on_signal(int slot, const char* name) {
    signal_slot_set[slot] = 0;
    if (name == nullptr)
        return;
    std::snprintf(signal_names[slot], kNameRoom, "%s", name);
    signal_slot_set[slot] = 1;
}

#ifdef _WIN32

namespace {

FileId id_of_handle(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileInformationByHandle(h, &info) == 0)
        return {};
    const bool regular =
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && ::GetFileType(h) == FILE_TYPE_DISK;
    return {true, regular, info.dwVolumeSerialNumber,
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

void remove_signal_slots() {
    for (int i = 0; i < 2; ++i)
        if (signal_slot_set[i] != 0)
            ::DeleteFileA(signal_names[i]);
}

// Runs in a thread of its own; the temporary files are opened with FILE_SHARE_DELETE, so they can be
// removed while the main thread still writes them. FALSE hands the event on to the default handler,
// which ends the process.
BOOL WINAPI on_console_event(DWORD) {
    remove_signal_slots();
    return FALSE;
}

} // namespace

// _stat fills st_ino with 0 on Windows, so it cannot tell two names of one file apart from two files;
// the file index of an open handle can. The handle asks for no access, so a file that another program
// holds open, or that may only be read, is still examined; FILE_FLAG_BACKUP_SEMANTICS lets it open a
// folder too.
FileId file_id(const char* name) {
    const HANDLE h = ::CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    const FileId id = id_of_handle(h);
    ::CloseHandle(h);
    return id;
}

FileId file_id(std::FILE* f) {
    const intptr_t h = ::_get_osfhandle(::_fileno(f));
    if (h == -1 || h == -2)
        return {};
    return id_of_handle(reinterpret_cast<HANDLE>(h));
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

// A process started without a console handle has none of its standard streams: each is opened to NUL,
// in the order of their descriptors, so that each takes its own.
void open_standard_streams() {
    const DWORD which[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    std::FILE* streams[3] = {stdin, stdout, stderr};
    for (int i = 0; i < 3; ++i) {
        const HANDLE h = ::GetStdHandle(which[i]);
        if (h == nullptr || h == INVALID_HANDLE_VALUE)
            std::freopen("NUL", i == 0 ? "r" : "w", streams[i]);
    }
}

std::FILE* open_temporary_beside(const char* name, char* temp, std::size_t room) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int n = std::snprintf(temp, room, "%s.valix-%lu-%u", name, ::GetCurrentProcessId(), counter++);
        if (n < 0 || static_cast<std::size_t>(n) >= room)
            return nullptr;
        const HANDLE h =
            ::CreateFileA(temp, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return nullptr;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), 0);
        if (fd < 0) {
            ::CloseHandle(h);
            ::DeleteFileA(temp);
            return nullptr;
        }
        std::FILE* f = ::_fdopen(fd, "wb");
        if (f == nullptr) {
            ::_close(fd);
            ::DeleteFileA(temp);
        }
        return f;
    }
    return nullptr;
}

bool replace_file(const char* temp, const char* name) {
    return ::MoveFileExA(temp, name, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool remove_file(const char* name) {
    return ::DeleteFileA(name) != 0;
}

bool may_write(const char* name) {
    const DWORD attributes = ::GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

bool replacement_name(const char* name, char* out, std::size_t room) {
    const int n = std::snprintf(out, room, "%s", name);
    return n >= 0 && static_cast<std::size_t>(n) < room;
}

void catch_end_signals(bool on) {
    ::SetConsoleCtrlHandler(on_console_event, on ? TRUE : FALSE);
}

#else

namespace {

FileId id_of_stat(const struct stat& st) {
    return {true, S_ISREG(st.st_mode), static_cast<std::uint64_t>(st.st_dev),
            static_cast<std::uint64_t>(st.st_ino)};
}

constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction previous[4];
bool installed[4] = {false, false, false, false};

void remove_signal_slots() {
    for (int i = 0; i < 2; ++i)
        if (signal_slot_set[i] != 0)
            ::unlink(signal_names[i]);
}

// Only async-signal-safe calls: unlink, sigaction, raise.
void on_end_signal(int sig) {
    remove_signal_slots();
    for (int i = 0; i < 4; ++i)
        if (kEndSignals[i] == sig && installed[i])
            ::sigaction(sig, &previous[i], nullptr);
    ::raise(sig);
}

} // namespace

FileId file_id(const char* name) {
    struct stat st;
    if (::stat(name, &st) != 0)
        return {};
    return id_of_stat(st);
}

FileId file_id(std::FILE* f) {
    struct stat st;
    if (::fstat(::fileno(f), &st) != 0)
        return {};
    return id_of_stat(st);
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
    std::signal(SIGXFSZ, SIG_IGN);
}

void open_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor is taken, which is fd itself when the ones below it are open.
        const int n = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (n >= 0 && n != fd) {
            ::dup2(n, fd);
            ::close(n);
        }
    }
}

std::FILE* open_temporary_beside(const char* name, char* temp, std::size_t room) {
    const int len = std::snprintf(temp, room, "%s.valix-XXXXXX", name);
    if (len < 0 || static_cast<std::size_t>(len) >= room)
        return nullptr;
    const int fd = ::mkstemp(temp);
    if (fd < 0)
        return nullptr;
    // mkstemp makes the file private; the report gets the mode of the file it replaces, or the mode that a
    // newly created file would have.
    struct stat st;
    mode_t mode;
    if (::stat(name, &st) == 0 && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;
    } else {
#ifdef __EMSCRIPTEN__
        // The WebAssembly runtime's umask is a fixed 0777 of its own, not the host's: with it the report
        // would be made with no permission at all, and the next run could not replace it.
        mode = 0644;
#else
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
#endif
    }
    ::fchmod(fd, mode);
    std::FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr) {
        ::close(fd);
        ::unlink(temp);
    }
    return f;
}

bool replace_file(const char* temp, const char* name) {
    return std::rename(temp, name) == 0;
}

bool remove_file(const char* name) {
    return ::unlink(name) == 0;
}

bool may_write(const char* name) {
    return ::access(name, W_OK) == 0;
}

bool replacement_name(const char* name, char* out, std::size_t room) {
    struct stat st;
    if (::lstat(name, &st) != 0 || !S_ISLNK(st.st_mode)) {
        const int n = std::snprintf(out, room, "%s", name);
        return n >= 0 && static_cast<std::size_t>(n) < room;
    }
    char* resolved = ::realpath(name, nullptr);
    if (resolved == nullptr)
        return false;
    const int n = std::snprintf(out, room, "%s", resolved);
    std::free(resolved);
    return n >= 0 && static_cast<std::size_t>(n) < room;
}

void catch_end_signals(bool on) {
    for (int i = 0; i < 4; ++i) {
        if (on && !installed[i]) {
            struct sigaction act {};
            act.sa_handler = on_end_signal;
            sigemptyset(&act.sa_mask);
            if (::sigaction(kEndSignals[i], nullptr, &previous[i]) != 0 || previous[i].sa_handler == SIG_IGN)
                continue;
            installed[i] = ::sigaction(kEndSignals[i], &act, nullptr) == 0;
        } else if (!on && installed[i]) {
            ::sigaction(kEndSignals[i], &previous[i], nullptr);
            installed[i] = false;
        }
    }
}

#endif

} // namespace util
