#include "tests/support.h"

#include "checks/employee.h"
#include "checks/employer.h"
#include "reader/handlers.h"
#include "reader/scanner.h"
#include "refdata/lists.h"
#include "report/catalogue.h"
#include "util/console.h"
#include "util/cp1250.h"

#include <atomic>
#include <cstdlib>
#include <unistd.h>

namespace testing_support {

void reset_all() {
    validator::reset_state();
}

Capture::Capture(char format) {
    reset_all();
    util::quiet = true;
    report::sw_err = format;
    report::errsoub.open_memory(&bytes_);
}

Capture::~Capture() {
    report::errsoub.close();
}

std::string Capture::text() {
    report::errsoub.flush();
    return bytes_;
}

std::vector<std::string> Capture::rows() {
    std::vector<std::string> out;
    const std::string all = text();
    std::size_t p = 0;
    while (p < all.size()) {
        std::size_t e = all.find("\r\n", p);
        if (e == std::string::npos)
            e = all.size();
        out.push_back(all.substr(p, e - p));
        p = e + 2;
    }
    return out;
}

std::string cp(std::string_view utf8) {
    std::string out(utf8.size() + 1, '\0');
    out.resize(util::utf8_to_cp1250(utf8, out.data(), out.size()));
    return out;
}

void set_env(const char* name, const char* value) {
#ifdef _WIN32
    ::_putenv_s(name, value);
#else
    ::setenv(name, value, 1);
#endif
}

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void spit(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Scratch::Scratch() {
    static std::atomic<int> counter{0};
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("valix-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
}

Scratch::~Scratch() {
    std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

int Scratch::run(std::initializer_list<std::string> args, const report::Observer* observer) {
    set_env("SOURCE_DATE_EPOCH", "1246370709"); // 30/06/2009 14:05:09 UTC
    set_env("TZ", "UTC");
    ::tzset();
    std::vector<const char*> argv{"valix"};
    for (const auto& a : args)
        argv.push_back(a.c_str());
    util::quiet = true;
    return validator::run(static_cast<int>(argv.size()), argv.data(), observer);
}

} // namespace testing_support
