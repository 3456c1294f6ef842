#include "reader/scanner.h"

#include "report/context.h"
#include "util/outfile.h"
#include "util/platform.h"

#include <array>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstdio>
#include <cstring>

namespace reader {

using report::s_cislo_radky;

char je_OTVZAV = 'N';
char je_ZAVZAV = 'N';
std::int64_t cislo_radky = 1;
int piece_len = 0;
bool one_look = true;
int (*konec_vstupu)() = nullptr;
void (*input_unreadable)() = nullptr;

namespace {

// The input is read through one large buffer; next() is an inline load and compare on the fast path,
// and only an exhausted buffer costs a call (a read of the next 256 KB, or the end of the file). A larger
// buffer reads no faster, and each of its pages costs a fault when it is first filled.
constexpr std::size_t kBufSize = 1 << 18;
char inbuf[kBufSize];
const char* data = inbuf;
std::size_t pos = 0;
std::size_t end = 0;

std::FILE* insoub = nullptr;
std::string_view memory;
bool memory_open = false;
bool exhausted = false; // the end of all input has been met: every further read ends at once

bool fill() {
    if (memory_open) {
        if (memory.empty())
            return false;
        data = memory.data();
        pos = 0;
        end = memory.size();
        memory = {};
        return true;
    }
    if (insoub == nullptr)
        return false;
    // A read error is not the end of the file: a check of part of the input must not pass for a whole one.
    const std::ptrdiff_t n = util::read_bytes(insoub, inbuf, kBufSize);
    if (n < 0) {
        if (input_unreadable != nullptr)
            input_unreadable(); // ends the run
        exhausted = true;
        return false;
    }
    data = inbuf;
    pos = 0;
    end = static_cast<std::size_t>(n);
    return n > 0;
}

int refill() {
    if (exhausted)
        return -1;
    for (;;) {
        if (fill())
            return static_cast<unsigned char>(data[pos++]);
        // The current file is exhausted: the next file of a list goes on where this one ended, as if
        // the files were laid end to end; otherwise the run ends.
        if (konec_vstupu == nullptr || konec_vstupu() != 0) {
            exhausted = true;
            return -1;
        }
    }
}

inline int next() {
    if (pos < end)
        return static_cast<unsigned char>(data[pos++]);
    return refill();
}

void new_line() {
    ++cislo_radky;
    s_cislo_radky.next();
}

// Ends a piece of n stored bytes; `nul` tells whether one of them was a NUL byte, which ends the text.
void terminate(char* buf, int n, bool nul = false) {
    buf[n] = '\0';
    piece_len = nul ? static_cast<int>(std::strlen(buf)) : n;
}

// Bytes that a tag name simply stores.
constexpr auto kPlainName = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = c != '\n' && c != '\r' && c != ' ' && c != '>' && c != ':' && c != 0;
    return t;
}();

// Bytes that content simply stores.
constexpr auto kPlainContent = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = c != '\n' && c != '\r' && c != '<' && c != 0;
    return t;
}();

// The end of a run of plain bytes in [p, lim): the first byte that `plain` rejects, or lim. Where SSE2 is
// there (every x86-64), sixteen bytes are tested at once against the few bytes that end a run; names and
// contents are short, so most runs end within the first sixteen.
#if defined(__SSE2__)
template <bool Name>
inline const char* plain_run_end(const char* p, const char* lim) {
    while (lim - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hit =
            _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
        hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_setzero_si128()));
        if constexpr (Name) {
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(' ')));
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8('>')));
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(':')));
        } else {
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8('<')));
        }
        if (const int mask = _mm_movemask_epi8(hit); mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
    const auto& plain = Name ? kPlainName : kPlainContent;
    while (p < lim && plain[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}
#else
template <bool Name>
inline const char* plain_run_end(const char* p, const char* lim) {
    const auto& plain = Name ? kPlainName : kPlainContent;
    while (p < lim && plain[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}
#endif

// Counts the line feeds in a span that is being skipped.
void count_lines(const char* from, const char* to) {
    while (from < to) {
        const void* lf = std::memchr(from, '\n', static_cast<std::size_t>(to - from));
        if (lf == nullptr)
            return;
        new_line();
        from = static_cast<const char*>(lf) + 1;
    }
}

// Discards bytes up to and including the next `stop`, counting the lines on the way. memchr finds the
// byte a buffer at a time, so long stretches of text outside tags cost next to nothing.
// Returns false at the end of all input.
bool skip_past(char stop) {
    // Between two tags there are usually only a line end and an indentation: a short look at the first
    // bytes (sixteen at a time where SSE2 is there) is cheaper than two library calls.
    {
        const char* p = data + pos;
        const char* lim = end - pos > 64 ? p + 64 : data + end;
#if defined(__SSE2__)
        while (lim - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const unsigned at =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(stop))));
            unsigned lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
            if (at != 0) {
                const int k = __builtin_ctz(at);
                for (lf &= (1u << k) - 1; lf != 0; lf &= lf - 1)
                    new_line();
                pos = static_cast<std::size_t>(p + k + 1 - data);
                return true;
            }
            for (; lf != 0; lf &= lf - 1)
                new_line();
            p += 16;
        }
#endif
        while (p < lim) {
            const char c = *p++;
            if (c == stop) {
                pos = static_cast<std::size_t>(p - data);
                return true;
            }
            if (c == '\n')
                new_line();
        }
        pos = static_cast<std::size_t>(p - data);
    }
    for (;;) {
        if (pos == end) {
            const int c = refill();
            if (c < 0)
                return false;
            --pos; // refill consumed the first byte; look at it again below
        }
        const char* from = data + pos;
        const char* hit = static_cast<const char*>(std::memchr(from, stop, end - pos));
        const char* to = hit != nullptr ? hit : data + end;
        count_lines(from, to);
        pos = static_cast<std::size_t>(to - data);
        if (hit != nullptr) {
            ++pos;
            return true;
        }
    }
}

} // namespace

int dej_element(char* buf) {
    int c;
    if (je_OTVZAV == 'N' && !skip_past('<'))
        return -1;
    je_OTVZAV = 'N';
    je_ZAVZAV = 'N';
    int n = 0;
    bool colon = false;
    bool nul = false;
    for (;;) {
        // Ordinary name bytes are copied in one run; only the bytes that end a name or need a second look
        // (line ends, blank, '>', ':' and NUL) take the byte-by-byte path below.
        {
            const char* p = data + pos;
            const std::size_t room = static_cast<std::size_t>(kPiece - n);
            const char* lim = end - pos > room ? p + room : data + end;
            const char* q = p;
            q = plain_run_end<true>(q, lim);
            const auto run = static_cast<std::size_t>(q - p);
            util::copy_short(buf + n, p, run);
            n += static_cast<int>(run);
            pos += run;
            if (n == kPiece)
                break;
        }
        c = next();
        if (c < 0) {
            terminate(buf, n, nul);
            return -1;
        }
        if (c == '\n') {
            new_line();
            break;
        }
        if (c == ' ')
            break;
        if (c == '>') {
            je_ZAVZAV = 'A';
            break;
        }
        if (c == '\r')
            continue;
        colon |= c == ':';
        nul |= c == 0;
        buf[n++] = static_cast<char>(c);
        if (n == kPiece)
            break;
    }
    terminate(buf, n, nul);

    // The namespace prefix "zpv:" is dropped from a name, and from an end tag's name after its slash.
    // Most names hold no colon, and then there is nothing to look for.
    if (char* p = colon ? std::strstr(buf, "zpv:") : nullptr; p != nullptr) {
        if (p == buf) {
            std::memmove(buf, buf + 4, std::strlen(buf + 4) + 1);
            piece_len -= 4;
        } else if (p == buf + 1) {
            buf[0] = '/';
            std::memmove(buf + 1, buf + 5, std::strlen(buf + 5) + 1);
            piece_len -= 4;
        }
    }
    return 0;
}

int dej_zbytek_elementu(char* buf, Blanks blanks) {
    if (je_ZAVZAV != 'N')
        return 0;
    je_OTVZAV = 'N';
    int n = 0;
    bool nul = false;
    for (;;) {
        const int c = next();
        if (c < 0) {
            terminate(buf, n, nul);
            return -1;
        }
        if (c == '\n') {
            new_line();
            continue;
        }
        if (c == '\r')
            continue;
        if (c == '>') {
            je_ZAVZAV = 'A';
            terminate(buf, n, nul);
            return n > 0 ? 2 : 0;
        }
        if (c == ' ' && blanks == Blanks::skip)
            continue;
        nul |= c == 0;
        buf[n++] = static_cast<char>(c);
        if (n == kPiece) {
            terminate(buf, n, nul);
            return 1;
        }
    }
}

int preskoc_zbytek_komentare() {
    je_OTVZAV = 'N';
    char w0 = 0, w1 = 0, w2 = 0; // the last three bytes read, line ends apart
    for (;;) {
        const int c = next();
        if (c < 0)
            return -1;
        if (c == '\n') {
            new_line();
            continue;
        }
        if (c == '\r')
            continue;
        w0 = w1;
        w1 = w2;
        w2 = static_cast<char>(c);
        if (w0 == '-' && w1 == '-' && w2 == '>')
            return 0;
    }
}

int dej_obsah(char* buf) {
    int c;
    if (je_ZAVZAV == 'N' && !skip_past('>')) {
        terminate(buf, 0);
        return -1;
    }
    je_OTVZAV = 'N';
    je_ZAVZAV = 'N';
    int n = 0;
    bool nul = false;
    for (;;) {
        // Plain content bytes are copied in one run, as in dej_element.
        {
            const char* p = data + pos;
            const std::size_t room = static_cast<std::size_t>(kPiece - n);
            const char* lim = end - pos > room ? p + room : data + end;
            const char* q = p;
            q = plain_run_end<false>(q, lim);
            const auto run = static_cast<std::size_t>(q - p);
            util::copy_short(buf + n, p, run);
            n += static_cast<int>(run);
            pos += run;
            if (n == kPiece) {
                terminate(buf, n, nul);
                return 1;
            }
        }
        c = next();
        if (c < 0) {
            terminate(buf, n, nul);
            return -1;
        }
        if (c == '\n') {
            new_line();
            continue;
        }
        if (c == '\r')
            continue;
        if (c == '<') {
            terminate(buf, n, nul);
            je_OTVZAV = 'A';
            return 0;
        }
        nul |= c == 0;
        buf[n++] = static_cast<char>(c);
        if (n == kPiece) {
            terminate(buf, n, nul);
            return 1;
        }
    }
}

namespace {

// The bytes of a 48-byte window that decide the shape of a field line, one bit per byte.
struct WindowBits {
    std::uint64_t lt = 0;  // '<'
    std::uint64_t gt = 0;  // '>'
    std::uint64_t lf = 0;  // line feed
    std::uint64_t odd = 0; // control bytes, blank and colon
};

// Line ends and NUL end a name or a content, and a blank or a colon a name. The one-look path refuses
// all of them (and the other control bytes) anywhere in the element: a content with a blank or a colon
// is rare in the employee records, and the general path reads it the same way.
inline WindowBits classify(const char* p) {
    WindowBits b;
#if defined(__SSE2__)
    for (int i = 0; i < 3; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const auto bits = [&](__m128i m) {
            return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m))) << (16 * i);
        };
        const __m128i space = _mm_set1_epi8(' ');
        b.lt |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('<')));
        b.gt |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('>')));
        b.lf |= bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
        // v <= ' ' as unsigned bytes: the smaller of the two is v itself.
        b.odd |= bits(
            _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(v, space), v), _mm_cmpeq_epi8(v, _mm_set1_epi8(':'))));
    }
#else
    for (int i = 0; i < 48; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        const std::uint64_t bit = std::uint64_t{1} << i;
        b.lt |= c == '<' ? bit : 0;
        b.gt |= c == '>' ? bit : 0;
        b.lf |= c == '\n' ? bit : 0;
        b.odd |= c <= ' ' || c == ':' ? bit : 0;
    }
#endif
    return b;
}

// The bits above bit x (none above bit 63), and those below bit y.
constexpr std::uint64_t above(int x) {
    return ~((std::uint64_t{2} << x) - 1);
}
constexpr std::uint64_t below(int y) {
    return (std::uint64_t{1} << y) - 1;
}

inline int lowest(std::uint64_t bits) {
    return __builtin_ctzll(bits);
}

} // namespace

bool peek_one_look(OneLookField& f) {
    // The element is looked for in the next 48 bytes of the buffer, classified all at once: its four
    // marks are then the lowest bits of a few masks, and no byte is looked at twice or tested on a branch
    // of its own. An element near the buffer's end, or a longer one, takes the general path.
    constexpr std::size_t kWindow = 48;
    if (!one_look || je_OTVZAV != 'N' || end - pos < kWindow)
        return false;
    const char* p = data + pos;
    const WindowBits b = classify(p);
    // The gap up to '<': a line end and an indentation, usually. Anything may stand there (skip_past
    // discards it); only its line feeds count. Then '>' ends the name, '<' the content, '>' the end name.
    if (b.lt == 0)
        return false;
    const int open = lowest(b.lt);
    const std::uint64_t gt1 = b.gt & above(open);
    if (gt1 == 0)
        return false;
    const int name_end = lowest(gt1);
    const std::uint64_t lt2 = b.lt & above(name_end);
    if (lt2 == 0)
        return false;
    const int content_end = lowest(lt2);
    const std::uint64_t gt2 = b.gt & above(content_end);
    if (gt2 == 0)
        return false;
    const int close = lowest(gt2);
    if ((b.odd & above(open) & below(close)) != 0)
        return false;
    // Usually one line feed: a loop over the set bits beats a population count, which x86-64's baseline
    // has no instruction for.
    int lines = 0;
    for (std::uint64_t lf = b.lf & below(open); lf != 0; lf &= lf - 1)
        ++lines;
    f.name = {p + open + 1, static_cast<std::size_t>(name_end - open - 1)};
    f.content = {p + name_end + 1, static_cast<std::size_t>(content_end - name_end - 1)};
    f.end_name = {p + content_end + 1, static_cast<std::size_t>(close - content_end - 1)};
    f.element = {p + open, static_cast<std::size_t>(close - open + 1)};
    f.lines = lines;
    f.next = pos + static_cast<std::size_t>(close) + 1;
    return true;
}

bool peek_expected(const ExpectedTags& tags, KnownField& f) {
    // The same window as peek_one_look's: the element ends within 48 bytes (15 of gap, 8 of start tag,
    // 15 of content, 9 of end tag), so every load below stays inside it.
    constexpr std::size_t kWindow = 48;
    if (!one_look || je_OTVZAV != 'N' || end - pos < kWindow)
        return false;
    const char* p = data + pos;
    const auto word = [](const char* at) {
        std::uint64_t w;
        std::memcpy(&w, at, 8);
        return w;
    };
#if defined(__SSE2__)
    const __m128i gap = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto lt = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(gap, _mm_set1_epi8('<'))));
    if (lt == 0)
        return false;
    const int open = __builtin_ctz(lt);
    unsigned lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(gap, _mm_set1_epi8('\n')))) &
                  ((1u << open) - 1);
    const char* const start = p + open;
    if (word(start) != tags.start)
        return false;
    const char* const content = start + 8;
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(content));
    const auto lt2 = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('<'))));
    if (lt2 == 0)
        return false;
    const int length = __builtin_ctz(lt2);
    const __m128i space = _mm_set1_epi8(' ');
    const auto odd = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(v, space), v), _mm_cmpeq_epi8(v, _mm_set1_epi8(':')))));
    if ((odd & ((1u << length) - 1)) != 0)
        return false;
#else
    int open = 0;
    unsigned lf = 0;
    while (open < 16 && p[open] != '<')
        lf |= (p[open] == '\n' ? 1u : 0u) << open, ++open;
    if (open == 16)
        return false;
    const char* const start = p + open;
    if (word(start) != tags.start)
        return false;
    const char* const content = start + 8;
    int length = 0;
    for (; length < 16 && content[length] != '<'; ++length) {
        const auto c = static_cast<unsigned char>(content[length]);
        if (c <= ' ' || c == ':')
            return false;
    }
    if (length == 16)
        return false;
#endif
    const char* const end_tag = content + length;
    if (word(end_tag + 1) != tags.end)
        return false;
    int lines = 0;
    for (; lf != 0; lf &= lf - 1)
        ++lines;
    f.start = start;
    f.length = static_cast<std::size_t>(length);
    f.lines = lines;
    return true;
}

void take_known(const KnownField& f) {
    for (int i = 0; i < f.lines; ++i)
        new_line();
    pos = static_cast<std::size_t>(f.start + 17 + f.length - data);
    je_OTVZAV = 'N';
    je_ZAVZAV = 'A';
    piece_len = 7;
}

void take_one_look(const OneLookField& f) {
    for (int i = 0; i < f.lines; ++i)
        new_line();
    pos = f.next;
    je_OTVZAV = 'N';
    je_ZAVZAV = 'A';
    piece_len = static_cast<int>(f.end_name.size());
}

char prvek_zac_kon(const char* start, const char* end_name) {
    return end_matches(start, end_name) ? 'A' : 'N';
}

bool open_input(const char* name) {
    close_input();
    std::FILE* f = std::fopen(name, "rb");
    if (f == nullptr)
        return false;
    if (util::is_directory(f)) {
        std::fclose(f);
        return false;
    }
    // The scanner's own buffer is the only one: stdio's would cost a second copy of every byte.
    std::setvbuf(f, nullptr, _IONBF, 0);
    insoub = f;
    data = inbuf;
    pos = end = 0;
    return true;
}

util::FileId input_identity() {
    return insoub != nullptr ? util::file_id(insoub) : util::FileId{};
}

void open_input_memory(std::string_view bytes) {
    close_input();
    memory = bytes;
    memory_open = true;
    data = inbuf;
    pos = end = 0;
}

void close_input() {
    if (insoub != nullptr)
        std::fclose(insoub);
    insoub = nullptr;
    memory_open = false;
    memory = {};
    pos = end = 0;
}

void reset_scanner() {
    close_input();
    exhausted = false;
    je_OTVZAV = 'N';
    je_ZAVZAV = 'N';
    cislo_radky = 1;
    s_cislo_radky.reset();
    piece_len = 0;
}

} // namespace reader
