// The program of the browser edition: the console program's run, with the console written in blocks of
// 64 KB. The worker takes the console a block at a time, and the progress line comes once per employee: a
// small buffer would hand it over in thousands of calls for a large file.
#include "validator/run.h"

#include <cstdio>

int main(int argc, char** argv) {
    static char console_buffer[1 << 16];
    std::setvbuf(stdout, console_buffer, _IOFBF, sizeof console_buffer);
    return validator::run(argc, argv);
}
