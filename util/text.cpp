#include "util/text.h"

#include <cstdarg>
#include <cstdio>

namespace util {

int jsubstr(char* dst, const char* src, int start, int count) {
    const char* p = src + (start - 1);
    int copied = 0;
    while (copied < count) {
        const char c = *p++;
        *dst++ = c;
        if (c == '\0')
            return copied;
        ++copied;
    }
    *dst = '\0';
    return copied;
}

int jinstr(const char* text, char c) {
    for (int i = 0; text[i] != '\0'; ++i)
        if (text[i] == c)
            return i + 1;
    return 0;
}

Fmt fmt(const char* format, ...) {
    Fmt f;
    va_list ap;
    va_start(ap, format);
    const int n = std::vsnprintf(f.s, sizeof f.s, format, ap);
    va_end(ap);
    f.n = n < 0 ? 0 : (n < static_cast<int>(sizeof f.s) ? n : static_cast<int>(sizeof f.s) - 1);
    return f;
}

} // namespace util
