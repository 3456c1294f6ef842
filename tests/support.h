// What the tests share: a fresh run state with the report collected in memory, and whole runs of the
// validator in a scratch folder.
#pragma once

#include "checks/fields.h"
#include "report/writer.h"
#include "validator/run.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

void reset_all(); // every subsystem's run state, as at the start of a run

// Resets the run state and collects the report rows in memory, in CSV unless another format is given.
// Checks can then be called directly and their findings read back.
class Capture {
  public:
    explicit Capture(char format = 'C');
    ~Capture();
    std::string text();              // the report bytes so far
    std::vector<std::string> rows(); // the report's lines, without their CR LF

  private:
    std::string bytes_;
};

// The Windows-1250 bytes of a UTF-8 text, for comparing with report rows.
std::string cp(std::string_view utf8);

// Sets an environment variable for the rest of the process.
void set_env(const char* name, const char* value);

// Reads a whole file as bytes.
std::string slurp(const std::filesystem::path& p);
void spit(const std::filesystem::path& p, std::string_view bytes);

// A scratch folder, removed afterwards; runs of the validator happen with it as the working folder.
class Scratch {
  public:
    Scratch();
    ~Scratch();
    const std::filesystem::path& dir() const { return dir_; }
    std::filesystem::path operator/(std::string_view name) const { return dir_ / name; }
    // Runs the validator in-process with these arguments, the time stamp fixed at 2009-06-30 14:05:09
    // UTC and the console quiet, the findings shown to the observer when one is given. Returns the exit
    // status.
    int run(std::initializer_list<std::string> args, const report::Observer* observer = nullptr);

  private:
    std::filesystem::path dir_;
    std::filesystem::path old_;
};

inline std::filesystem::path source_dir() {
    return VALIX_SOURCE_DIR;
}

} // namespace testing_support
