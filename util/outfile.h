// The file layer: the buffered output file for the report and the echo file, the reads of the input and
// the list file, and the seam through which tests make any of those writes or reads fail.
//
// Every "\n" written through text() or printf() ends the line with CR LF on every platform (the file is
// opened in binary mode), and nothing else is changed. Writes go through one buffer, so a report of
// millions of rows costs a few large writes. A failed write is remembered, never ignored: failed() tells
// the run at its end that the file is incomplete.
//
// A file is written under a temporary name in the folder of its name and put in place of the name only
// when it is closed complete, so that a run that is killed or meets a full disk leaves the previous file
// as it was. Only a name that is not a plain file (a device such as /dev/null, a pipe) is written in place.
#pragma once

#include "util/platform.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace util {

class OutFile {
  public:
    // signal_slot (0 or 1) names the slot in which a signal finds the temporary file to remove; -1 none.
    explicit OutFile(int signal_slot = -1) : signal_slot_(signal_slot) {}
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;
    ~OutFile() { close(); }

    // False when the file cannot be written: no such folder, a folder of that name, a read-only file.
    bool open(const char* name);
    // Tests collect the file's bytes in memory instead of writing a file.
    void open_memory(std::string* sink);
    bool is_open() const { return file_ != nullptr || sink_ != nullptr; }
    // Hands the rest of the buffer to the file and, when every write succeeded, puts the file in place
    // of its name; otherwise the previous file under the name stays, and failed() is true.
    void close();
    // Closes the file without putting it in place: the previous file under the name stays as it was.
    void abandon();
    bool failed() const { return failed_; } // some write, the close or the replacement failed since open()
    void clear_failure() { failed_ = false; }
    // The identity of the file being written (the temporary file), to tell it from the run's inputs.
    const FileId& identity() const { return identity_; }

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
    void forget_temporary();
    // Closes the stream (if any) and forgets the file; false when the close failed.
    bool release();

    std::FILE* file_ = nullptr;
    std::string* sink_ = nullptr;
    bool failed_ = false;
    int signal_slot_ = -1;
    FileId identity_;
    char target_[4200] = ""; // the name the file is put in place of
    char temp_[4200] = "";   // the temporary file being written; empty when written in place
    std::size_t used_ = 0;
    char buf_[1 << 16];
};

// Reads up to n bytes of an input file: the number read (0 at its end), or -1 after a read error, which
// is never the end of the file.
std::ptrdiff_t read_bytes(std::FILE* f, char* buf, std::size_t n);
// One byte of a list file: the byte, EOF at its end, or -2 after a read error.
int read_byte(std::FILE* f);

// The seam of the file layer for tests: while armed, every write of an OutFile and every read through
// read_bytes and read_byte is counted, the one numbered fail_write or fail_read (from 1) fails as a full
// disk or a bad sector would, and with chunk set no read or write moves more than chunk bytes, so that a
// small run makes many. Unarmed it costs one test of a flag per buffer handed to or taken from the system.
struct IoFaults {
    bool armed = false;
    std::int64_t fail_write = 0; // 0: no write fails
    std::int64_t fail_read = 0;  // 0: no read fails
    std::size_t chunk = 0;       // 0: no limit
    std::int64_t writes = 0;     // counted while armed
    std::int64_t reads = 0;
};
extern IoFaults io_faults;

} // namespace util
