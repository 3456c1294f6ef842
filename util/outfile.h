// A buffered output file for the report and the echo file.
//
// Every "\n" written through text() or printf() ends the line with CR LF on every platform (the file is
// opened in binary mode), and nothing else is changed. Writes go through one buffer, so a report of
// millions of rows costs a few large writes. A failed write is remembered, never ignored: failed() tells
// the run at its end that the file is incomplete.
#pragma once

#include "util/platform.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace util {

class OutFile {
  public:
    OutFile() = default;
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;
    ~OutFile() { close(); }

    bool open(const char* name);
    // Tests collect the file's bytes in memory instead of writing a file.
    void open_memory(std::string* sink);
    bool is_open() const { return file_ != nullptr || sink_ != nullptr; }
    void close();
    bool failed() const { return failed_; } // some write or the close failed since open()
    void clear_failure() { failed_ = false; }

    void text(std::string_view s); // "\n" becomes CR LF
    void printf(const char* format, ...) VALIX_PRINTF_FORMAT(2, 3);
    void raw(std::string_view s); // bytes as they are
    void flush();                 // hands the buffer to the file
    // Room for n more bytes (n at most 4096) at the end of the buffer, which is handed to the file first
    // when it is short of room; the caller puts the bytes there and then calls wrote(n). Null when the
    // file is not open. A line assembled in place costs one copy of each piece and no call per piece.
    char* room(std::size_t n) {
        if (!is_open())
            return nullptr;
        if (sizeof buf_ - used_ < n)
            flush();
        return buf_ + used_;
    }
    void wrote(std::size_t n) { used_ += n; }
    static constexpr std::size_t kMaxRoom = 4096;

  private:
    std::FILE* file_ = nullptr;
    std::string* sink_ = nullptr;
    bool failed_ = false;
    std::size_t used_ = 0;
    char buf_[1 << 16];
};

} // namespace util
