#include "util/outfile.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

namespace util {

IoFaults io_faults;

namespace {

// The armed seam: counts the write, fails the chosen one, cuts it into chunks.
bool faulty_write(std::FILE* f, const char* buf, std::size_t n) {
    while (n > 0) {
        const std::size_t piece = io_faults.chunk != 0 && io_faults.chunk < n ? io_faults.chunk : n;
        if (++io_faults.writes == io_faults.fail_write) {
            errno = ENOSPC;
            return false;
        }
        if (std::fwrite(buf, 1, piece, f) != piece)
            return false;
        buf += piece;
        n -= piece;
    }
    return true;
}

bool write_all(std::FILE* f, const char* buf, std::size_t n) {
    if (io_faults.armed) [[unlikely]]
        return faulty_write(f, buf, n);
    return std::fwrite(buf, 1, n, f) == n;
}

} // namespace

std::ptrdiff_t read_bytes(std::FILE* f, char* buf, std::size_t n) {
    if (io_faults.armed) [[unlikely]] {
        if (++io_faults.reads == io_faults.fail_read) {
            errno = EIO;
            return -1;
        }
        if (io_faults.chunk != 0 && io_faults.chunk < n)
            n = io_faults.chunk;
    }
    const std::size_t got = std::fread(buf, 1, n, f);
    if (std::ferror(f))
        return -1;
    return static_cast<std::ptrdiff_t>(got);
}

int read_byte(std::FILE* f) {
    if (io_faults.armed) [[unlikely]] {
        if (++io_faults.reads == io_faults.fail_read) {
            errno = EIO;
            return -2;
        }
    }
    const int c = std::fgetc(f);
    return c == EOF && std::ferror(f) ? -2 : c;
}

bool OutFile::open(const char* name) {
    close();
    failed_ = false;
    used_ = 0;
    identity_ = {};
    temp_[0] = '\0';
    if (!replacement_name(name, target_, sizeof target_))
        target_[0] = '\0';
    const FileId existing = target_[0] != '\0' ? file_id(target_) : FileId{};
    // A read-only file stays as it is, as it would if it were opened for writing.
    if (existing.regular && !may_write(target_))
        return false;
    if (target_[0] != '\0' && (!existing.exists || existing.regular)) {
        file_ = open_temporary_beside(target_, temp_, sizeof temp_);
        if (file_ == nullptr)
            temp_[0] = '\0';
        else if (signal_slot_ >= 0)
            remove_on_signal(signal_slot_, temp_);
    }
    // In place: a device or a pipe, or a folder in which no new file can be made.
    if (file_ == nullptr)
        file_ = std::fopen(name, "wb");
    if (file_ == nullptr)
        return false;
    // The buffer of this class is the only one: stdio's would cost a second copy of every byte.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    identity_ = file_id(file_);
    return true;
}

void OutFile::open_memory(std::string* sink) {
    close();
    failed_ = false;
    used_ = 0;
    identity_ = {};
    sink_ = sink;
}

void OutFile::forget_temporary() {
    if (signal_slot_ >= 0)
        remove_on_signal(signal_slot_, nullptr);
    temp_[0] = '\0';
}

bool OutFile::release() {
    const bool closed = file_ == nullptr || std::fclose(file_) == 0;
    file_ = nullptr;
    sink_ = nullptr;
    identity_ = {};
    return closed;
}

void OutFile::close() {
    if (!is_open())
        return;
    flush();
    if (!release())
        failed_ = true;
    if (temp_[0] == '\0')
        return;
    // A complete file takes the place of the previous one; an incomplete one is removed and the previous
    // one stays.
    if (failed_ || !replace_file(temp_, target_)) {
        remove_file(temp_);
        failed_ = true;
    }
    forget_temporary();
}

void OutFile::abandon() {
    if (!is_open())
        return;
    used_ = 0;
    release();
    if (temp_[0] != '\0') {
        remove_file(temp_);
        forget_temporary();
    }
}

void OutFile::flush() {
    if (used_ == 0)
        return;
    if (sink_ != nullptr)
        sink_->append(buf_, used_);
    else if (file_ != nullptr && !failed_ && !write_all(file_, buf_, used_))
        failed_ = true; // the file is incomplete: nothing more is written to it
    used_ = 0;
}

void OutFile::raw(std::string_view s) {
    if (!is_open())
        return;
    while (!s.empty()) {
        if (used_ == sizeof buf_)
            flush();
        const std::size_t n = s.size() < sizeof buf_ - used_ ? s.size() : sizeof buf_ - used_;
        std::memcpy(buf_ + used_, s.data(), n);
        used_ += n;
        s.remove_prefix(n);
    }
}

void OutFile::text(std::string_view s) {
    // memchr finds the line ends, so the bytes between them are copied in one piece.
    while (!s.empty()) {
        const void* lf = std::memchr(s.data(), '\n', s.size());
        if (lf == nullptr) {
            raw(s);
            return;
        }
        const auto n = static_cast<std::size_t>(static_cast<const char*>(lf) - s.data());
        raw(s.substr(0, n));
        raw("\r\n");
        s.remove_prefix(n + 1);
    }
}

void OutFile::printf(const char* format, ...) {
    char line[4096];
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    if (n < 0)
        return;
    if (n >= static_cast<int>(sizeof line))
        n = sizeof line - 1;
    text({line, static_cast<std::size_t>(n)});
}

} // namespace util
