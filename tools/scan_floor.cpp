// The floor of any tag scanner: reads a file through one 256 KB buffer, as the validator reads its input,
// and finds every '<' in it with memchr, doing nothing else. tools/bench.sh times the validator against it.
//
//   scan_floor FILE      prints the number of '<' in FILE
#include <cstdio>
#include <cstring>

namespace {
char buffer[1 << 18];
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scan_floor FILE\n");
        return 2;
    }
    std::FILE* f = std::fopen(argv[1], "rb");
    if (f == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::setvbuf(f, nullptr, _IONBF, 0); // the buffer below is the only one, as in the validator
    unsigned long long tags = 0;
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
        if (n == 0)
            break;
        const char* p = buffer;
        const char* const end = buffer + n;
        while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)))) !=
               nullptr)
            ++p, ++tags;
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    std::printf("%llu\n", tags);
    return failed ? 1 : 0;
}
