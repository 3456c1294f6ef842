#include "util/outfile.h"

#include <cstdarg>
#include <cstring>

namespace util {

bool OutFile::open(const char* name) {
    close();
    failed_ = false;
    used_ = 0;
    file_ = std::fopen(name, "wb");
    return file_ != nullptr;
}

void OutFile::open_memory(std::string* sink) {
    close();
    failed_ = false;
    used_ = 0;
    sink_ = sink;
}

void OutFile::close() {
    if (!is_open())
        return;
    flush();
    if (file_ != nullptr && std::fclose(file_) != 0)
        failed_ = true;
    file_ = nullptr;
    sink_ = nullptr;
}

void OutFile::flush() {
    if (used_ == 0)
        return;
    if (sink_ != nullptr)
        sink_->append(buf_, used_);
    else if (file_ != nullptr && std::fwrite(buf_, 1, used_, file_) != used_)
        failed_ = true;
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
