// The program of the browser edition: the console program's run, with the console written in blocks of
// 64 KB. The worker takes the console a block at a time, and the progress line comes once per employee: a
// small buffer would hand it over in thousands of calls for a large file.
//
// When the worker asks for the findings (Module.valixFindings), every finding the report lists goes to it
// as well, packed into batches of a thousand that it posts to the page, and the line where each input
// file begins to Module.valixFileStart. The batch format is described in web/explorer/model.js, which reads
// it: a header, the records as numbers, and each distinct text of the batch once.
#include "report/observer.h"
#include "validator/run.h"

#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

// The batch's four parts are copied into one ArrayBuffer and handed to the worker.
EM_JS(void, valix_hand_over_findings,
      (const std::uint32_t* head, const std::uint32_t* records, const std::uint32_t* offsets,
       const unsigned char* bytes),
      {
          var n = HEAPU32[(head >> 2) + 1];
          var m = HEAPU32[(head >> 2) + 2];
          var b = HEAPU32[(head >> 2) + 3];
          var out = new Uint8Array(16 + 36 * n + 4 * (m + 1) + b);
          out.set(HEAPU8.subarray(head, head + 16), 0);
          out.set(HEAPU8.subarray(records, records + 36 * n), 16);
          out.set(HEAPU8.subarray(offsets, offsets + 4 * (m + 1)), 16 + 36 * n);
          out.set(HEAPU8.subarray(bytes, bytes + b), 16 + 36 * n + 4 * (m + 1));
          Module['valixFindings'](out.buffer);
      });

EM_JS(int, valix_wants_findings, (), { return typeof Module['valixFindings'] == 'function' ? 1 : 0; });

EM_JS(void, valix_file_start, (std::uint32_t line), {
    if (typeof Module['valixFileStart'] == 'function')
        Module['valixFileStart'](line);
});

namespace {

constexpr std::uint32_t kMagic = 0x31425856; // "VXB1"
constexpr int kFields = 9;                   // the line as a number and as a text, seven texts
constexpr int kTextsOfRecord = 8;
constexpr std::uint32_t kPlainLine = 0xffffffff; // the line text is just the number's decimal text
// A batch stays below 128 KB: the browser takes a larger buffer from fresh pages of memory each time, and
// their first touch cost more than the whole batch's making (a quarter of the run with many findings).
constexpr std::size_t kRecords = 1024;
constexpr std::size_t kTexts = 2048;
constexpr std::size_t kBytes = 48 * 1024;
constexpr std::size_t kSlots = 4096; // the batch's texts by hash; a power of two, twice kTexts

// One batch being filled. Its texts are interned in a small hash table that is emptied with the batch,
// so that the codes, employers, elements and messages that repeat stand once in it.
struct Batch {
    std::uint32_t head[4];
    std::uint32_t records[kRecords * kFields];
    std::uint32_t offsets[kTexts + 1];
    unsigned char bytes[kBytes];
    std::uint32_t slots[kSlots];        // text number + 1, 0 for a free slot
    std::uint32_t last[kTextsOfRecord]; // each field's text number in the record before, for a quick match
    std::uint32_t n = 0;                // records
    std::uint32_t m = 0;                // texts
    std::uint32_t b = 0;                // bytes of text
};

Batch batch;

void hand_over() {
    if (batch.n == 0)
        return;
    batch.offsets[batch.m] = batch.b;
    batch.head[0] = kMagic;
    batch.head[1] = batch.n;
    batch.head[2] = batch.m;
    batch.head[3] = batch.b;
    valix_hand_over_findings(batch.head, batch.records, batch.offsets, batch.bytes);
    batch.n = batch.m = batch.b = 0;
    std::memset(batch.slots, 0, sizeof batch.slots);
}

// Compares eight bytes at a time: the library's memcmp goes byte by byte in wasm, and the messages that
// most findings repeat are a hundred bytes long.
bool equal_bytes(const unsigned char* a, const char* b, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y)
            return false;
    }
    for (; i < n; ++i)
        if (a[i] != static_cast<unsigned char>(b[i]))
            return false;
    return true;
}

bool same_text(std::uint32_t id, std::string_view s) {
    const std::uint32_t from = batch.offsets[id];
    const std::uint32_t to = id + 1 == batch.m ? batch.b : batch.offsets[id + 1];
    return to - from == s.size() && equal_bytes(batch.bytes + from, s.data(), s.size());
}

// A text's hash from its length and at most its first and last 8 bytes: the texts that share those (a
// message with another) are told apart by the comparison in the table.
std::uint32_t hash(std::string_view s) {
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    if (s.size() >= 8) {
        std::memcpy(&head, s.data(), 8);
        std::memcpy(&tail, s.data() + s.size() - 8, 8);
    } else {
        std::memcpy(&head, s.data(), s.size());
    }
    const std::uint64_t h = (head * 0x9e3779b97f4a7c15u) ^ (tail * 0xc2b2ae3d27d4eb4fu) ^ s.size();
    return static_cast<std::uint32_t>(h ^ (h >> 29) ^ (h >> 47));
}

std::uint32_t intern(std::string_view s) {
    const std::uint32_t h = hash(s);
    for (std::size_t slot = h & (kSlots - 1);; slot = (slot + 1) & (kSlots - 1)) {
        const std::uint32_t k = batch.slots[slot];
        if (k == 0) {
            const std::uint32_t id = batch.m++;
            batch.offsets[id] = batch.b;
            std::memcpy(batch.bytes + batch.b, s.data(), s.size());
            batch.b += static_cast<std::uint32_t>(s.size());
            batch.slots[slot] = id + 1;
            return id;
        }
        if (same_text(k - 1, s))
            return k - 1;
    }
}

// The first number of a line text (a finding about two records of one person names two lines, "519,579");
// a number beyond 32 bits stays at the largest. `plain`: the text is just that number's decimal text.
std::uint32_t line_number(std::string_view line, bool* plain = nullptr) {
    std::uint64_t v = 0;
    std::size_t digits = 0;
    for (; digits < line.size() && line[digits] >= '0' && line[digits] <= '9'; ++digits) {
        v = v * 10 + static_cast<std::uint64_t>(line[digits] - '0');
        if (v > 0xffffffffu)
            v = 0xffffffffu;
    }
    if (plain != nullptr)
        *plain = digits == line.size() && digits > 0 && digits <= 9 && (line[0] != '0' || digits == 1);
    return static_cast<std::uint32_t>(v);
}

void on_finding(void*, const report::Finding& f) {
    const std::string_view texts[kTextsOfRecord] = {f.line,    f.code,  f.employer, f.employee,
                                                    f.element, f.value, f.expected, f.message};
    std::size_t size = 0;
    for (const std::string_view t : texts)
        size += t.size();
    if (batch.n == kRecords || batch.m + kTextsOfRecord > kTexts || batch.b + size > kBytes)
        hand_over();
    std::uint32_t* r = batch.records + static_cast<std::size_t>(batch.n) * kFields;
    bool plain = false;
    r[0] = line_number(f.line, &plain);
    r[1] = plain ? kPlainLine : intern(f.line);
    // Most fields repeat the text of the finding before (its employer, person, code, message): compared
    // with that one first, it is not hashed.
    for (int i = 1; i < kTextsOfRecord; ++i) {
        const bool repeated = batch.n > 0 && same_text(batch.last[i], texts[i]);
        r[1 + i] = batch.last[i] = repeated ? batch.last[i] : intern(texts[i]);
    }
    ++batch.n;
}

void on_file_start(void*, std::string_view line) {
    valix_file_start(line_number(line));
}

} // namespace

int main(int argc, char** argv) {
    static char console_buffer[1 << 16];
    std::setvbuf(stdout, console_buffer, _IOFBF, sizeof console_buffer);
    if (!valix_wants_findings())
        return validator::run(argc, argv);
    report::Observer observer;
    observer.finding = on_finding;
    observer.file_start = on_file_start;
    const int status = validator::run(argc, argv, &observer);
    hand_over(); // the last batch
    return status;
}
