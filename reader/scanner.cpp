#include "reader/scanner.h"

#include "report/context.h"
#include "util/outfile.h"
#include "util/platform.h"

#include <array>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__) && !defined(_WIN32) &&                   \
    !defined(__EMSCRIPTEN__)
#include <immintrin.h>
#endif
#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

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

// The structure index of the buffer (below); a fill replaces the bytes it describes.
void forget_index();

bool fill() {
    forget_index();
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

// The structure index: for a stretch of the buffer, one bit per byte in four masks, '<', '>', line feed,
// and the bytes the one-look path refuses (control bytes, blank and colon). A field line is then found by
// reading 64 bits of each mask at its position and taking their lowest bits, without looking at its bytes
// again. The stretch is classified in one loop, 64 bytes at a time with the widest vectors the processor
// has: every byte is classified once, where classifying a window at each field classified most bytes
// twice, and the choice of vectors is made once per stretch, not once per field.
//
// A stretch is up to kIndexBytes from where the walk stands when it needs one; a buffer of 256 KB takes
// about sixteen of them. Its masks fit the first-level cache beside the bytes they describe.
constexpr std::size_t kIndexBytes = 16384;
constexpr std::size_t kIndexWords = kIndexBytes / 64;

struct Masks {
    // One word more than a stretch holds: reading a window at the stretch's last word reads it too (and
    // takes none of its bits).
    std::uint64_t lt[kIndexWords + 1], gt[kIndexWords + 1], lf[kIndexWords + 1], odd[kIndexWords + 1];
};
Masks masks;
// The positions in the buffer that the masks describe, [index_from, index_to); empty when nothing is
// indexed. Every fill of the buffer empties it.
std::size_t index_from = 0;
std::size_t index_to = 0;

using IndexFn = void (*)(const char* p, std::size_t blocks);

// The portable classification: eight bytes at a time through a table, for processors without SSE2.
[[maybe_unused]] void index_plain(const char* p, std::size_t blocks) {
    for (std::size_t w = 0; w < blocks; ++w, p += 64) {
        std::uint64_t lt = 0, gt = 0, lf = 0, odd = 0;
        for (int i = 0; i < 64; ++i) {
            const auto c = static_cast<unsigned char>(p[i]);
            const std::uint64_t bit = std::uint64_t{1} << i;
            lt |= c == '<' ? bit : 0;
            gt |= c == '>' ? bit : 0;
            lf |= c == '\n' ? bit : 0;
            odd |= c <= ' ' || c == ':' ? bit : 0;
        }
        masks.lt[w] = lt;
        masks.gt[w] = gt;
        masks.lf[w] = lf;
        masks.odd[w] = odd;
    }
}

#if defined(__SSE2__)
// Four times sixteen bytes: every x86-64 has it, and the WebAssembly build runs it as 128-bit wasm SIMD.
void index_sse2(const char* p, std::size_t blocks) {
    const __m128i lt_byte = _mm_set1_epi8('<'), gt_byte = _mm_set1_epi8('>'), lf_byte = _mm_set1_epi8('\n'),
                  colon = _mm_set1_epi8(':'), space = _mm_set1_epi8(' ');
    for (std::size_t w = 0; w < blocks; ++w, p += 64) {
        std::uint64_t lt = 0, gt = 0, lf = 0, odd = 0;
        for (int i = 0; i < 4; ++i) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            const auto bits = [&](__m128i m) {
                return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m))) << (16 * i);
            };
            lt |= bits(_mm_cmpeq_epi8(v, lt_byte));
            gt |= bits(_mm_cmpeq_epi8(v, gt_byte));
            lf |= bits(_mm_cmpeq_epi8(v, lf_byte));
            // v <= ' ' as unsigned bytes: the smaller of the two is v itself.
            odd |= bits(_mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(v, space), v), _mm_cmpeq_epi8(v, colon)));
        }
        masks.lt[w] = lt;
        masks.gt[w] = gt;
        masks.lf[w] = lf;
        masks.odd[w] = odd;
    }
}
#endif

// The wide ways, compiled for their instruction sets and chosen at run time. Not in the Windows build:
// MinGW's compiler cannot align the stack for spilled 32- and 64-byte vectors there.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__) && !defined(_WIN32) &&                   \
    !defined(__EMSCRIPTEN__)
#define VALIX_WIDE_INDEX 1

__attribute__((target("avx2"))) void index_avx2(const char* p, std::size_t blocks) {
    const __m256i lt_byte = _mm256_set1_epi8('<'), gt_byte = _mm256_set1_epi8('>'),
                  lf_byte = _mm256_set1_epi8('\n'), colon = _mm256_set1_epi8(':'),
                  space = _mm256_set1_epi8(' ');
    for (std::size_t w = 0; w < blocks; ++w, p += 64) {
        std::uint64_t lt = 0, gt = 0, lf = 0, odd = 0;
        // Two halves; a lambda would not inherit this function's instruction set.
        for (int i = 0; i < 2; ++i) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * i));
            const __m256i low = _mm256_cmpeq_epi8(_mm256_min_epu8(v, space), v);
            const int shift = 32 * i;
            lt |=
                std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, lt_byte)))}
                << shift;
            gt |=
                std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, gt_byte)))}
                << shift;
            lf |=
                std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, lf_byte)))}
                << shift;
            odd |= std::uint64_t{static_cast<std::uint32_t>(
                       _mm256_movemask_epi8(_mm256_or_si256(low, _mm256_cmpeq_epi8(v, colon))))}
                   << shift;
        }
        masks.lt[w] = lt;
        masks.gt[w] = gt;
        masks.lf[w] = lf;
        masks.odd[w] = odd;
    }
}

// One load and four compares into mask registers per 64 bytes.
__attribute__((target("avx512f,avx512bw"))) void index_avx512(const char* p, std::size_t blocks) {
    const __m512i lt_byte = _mm512_set1_epi8('<'), gt_byte = _mm512_set1_epi8('>'),
                  lf_byte = _mm512_set1_epi8('\n'), colon = _mm512_set1_epi8(':'),
                  space = _mm512_set1_epi8(' ');
    for (std::size_t w = 0; w < blocks; ++w, p += 64) {
        const __m512i v = _mm512_loadu_si512(p);
        masks.lt[w] = _mm512_cmpeq_epi8_mask(v, lt_byte);
        masks.gt[w] = _mm512_cmpeq_epi8_mask(v, gt_byte);
        masks.lf[w] = _mm512_cmpeq_epi8_mask(v, lf_byte);
        masks.odd[w] = _mm512_cmple_epu8_mask(v, space) | _mm512_cmpeq_epi8_mask(v, colon);
    }
}
#endif

// The widest classification this processor has (the environment variable VALIX_INDEX=sse2 or avx2 holds
// it to a narrower one, to compare them).
IndexFn choose_index() {
#if defined(VALIX_WIDE_INDEX)
    const char* force = std::getenv("VALIX_INDEX");
    const std::string_view want = force != nullptr ? force : "";
    __builtin_cpu_init();
    if (want.empty() && __builtin_cpu_supports("avx512bw"))
        return index_avx512;
    if ((want.empty() || want == "avx2") && __builtin_cpu_supports("avx2"))
        return index_avx2;
#endif
#if defined(__SSE2__)
    return index_sse2;
#else
    return index_plain;
#endif
}
const IndexFn index_blocks = choose_index();

// Indexes whole 64-byte blocks from the position `at` on; false when fewer than 64 bytes remain.
VALIX_COLD bool index_at(std::size_t at) {
    const std::size_t blocks = std::min((end - at) / 64, kIndexWords);
    if (blocks == 0)
        return false;
    index_blocks(data + at, blocks);
    index_from = at;
    index_to = at + blocks * 64;
    return true;
}

// 64 bits of a mask from bit `bit` on; `w` and `w + 1` lie in the stretch. The second word's share is
// shifted twice so that a window that starts on a word takes none of it.
inline std::uint64_t bits_at(const std::uint64_t* m, std::size_t w, unsigned bit) {
    return (m[w] >> bit) | ((m[w + 1] << 1) << (63 - bit));
}

// The bits above bit x (none above bit 63), and those below bit y.
constexpr std::uint64_t above(int x) {
    return ~((std::uint64_t{2} << x) - 1);
}
constexpr std::uint64_t below(int y) {
    return (std::uint64_t{1} << y) - 1;
}

void forget_index() {
    index_from = index_to = 0;
}

} // namespace

bool peek_one_look(OneLookField& f) {
    // The element is looked for in the next 64 bytes of the buffer, whose classes the index holds: its
    // four marks are then the lowest bits of two masks, and no byte is looked at again or tested on a
    // branch of its own. An element near the buffer's end, or a longer one, takes the general path.
    constexpr std::size_t kWindow = 64;
    if (!one_look || je_OTVZAV != 'N' || end - pos < kWindow)
        return false;
    if ((pos < index_from || pos + kWindow > index_to) && !index_at(pos))
        return false;
    const std::size_t at = pos - index_from;
    const std::size_t w = at / 64;
    const auto bit = static_cast<unsigned>(at % 64);
    const std::uint64_t lt = bits_at(masks.lt, w, bit), gt = bits_at(masks.gt, w, bit);
    const char* p = data + pos;
    // The gap up to the first '<': a line end and an indentation, usually. Anything but a '>' may stand
    // there (skip_past discards it); only its line feeds count. Then the first '>' ends the name, the
    // second '<' the content and the second '>' the end name. The four marks are the lowest two bits of two
    // masks, found side by side rather than each after the one before it, and their order is tested at
    // once; a mask without such a bit gives 64, which fails the test. An element that does not have this
    // order ('>' in the gap, '<' in the name) takes the general path.
    const int open = std::countr_zero(lt);
    const int content_end = std::countr_zero(lt & (lt - 1));
    const int name_end = std::countr_zero(gt);
    const int close = std::countr_zero(gt & (gt - 1));
    if (!((open < name_end) & (name_end < content_end) & (content_end < close) & (close < 64)))
        return false;
    if ((bits_at(masks.odd, w, bit) & above(open) & below(close)) != 0)
        return false;
    // Usually one line feed: a loop over the set bits beats a population count, which x86-64's baseline
    // has no instruction for.
    int lines = 0;
    for (std::uint64_t lf = bits_at(masks.lf, w, bit) & below(open); lf != 0; lf &= lf - 1)
        ++lines;
    f.name = {p + open + 1, static_cast<std::size_t>(name_end - open - 1)};
    f.content = {p + name_end + 1, static_cast<std::size_t>(content_end - name_end - 1)};
    f.end_name = {p + content_end + 1, static_cast<std::size_t>(close - content_end - 1)};
    f.element = {p + open, static_cast<std::size_t>(close - open + 1)};
    f.lines = lines;
    f.next = pos + static_cast<std::size_t>(close) + 1;
    return true;
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
    forget_index();
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
