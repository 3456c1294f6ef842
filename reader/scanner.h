// The tag scanner: cuts the input into tag names, tag rests, contents and comments, counting lines.
#pragma once

#include "util/platform.h"
#include "util/text.h"

#include <cstdint>

namespace reader {

// Every piece is cut after this many characters; a buffer needs room for them and a terminator.
inline constexpr int kPiece = 301;

extern char je_OTVZAV; // 'A' when the '<' of the next tag has been consumed
extern char je_ZAVZAV; // 'A' when the '>' of the current tag has been consumed
// The current line as decimal text. It is counted up in place, digit by digit, so that a line feed costs
// no formatting and no copy: the text is the tail of a buffer of digits.
class LineNumber {
  public:
    void reset() { assign("1"); }
    void next() {
        int i = kDigits - 1;
        while (d_[i] == '9')
            d_[i--] = '0';
        ++d_[i];
        if (i < from_)
            from_ = i;
    }
    // Any text (tests set one); up to kDigits characters of it.
    void assign(std::string_view v) {
        if (v.size() > kDigits)
            v = v.substr(0, kDigits);
        for (int i = 0; i < kDigits; ++i)
            d_[i] = '0';
        from_ = kDigits - static_cast<int>(v.size());
        for (std::size_t i = 0; i < v.size(); ++i)
            d_[from_ + static_cast<int>(i)] = v[i];
        d_[kDigits] = '\0';
    }
    std::string_view view() const { return {d_ + from_, static_cast<std::size_t>(kDigits - from_)}; }
    operator std::string_view() const { return view(); }

  private:
    static constexpr int kDigits = 20;
    char d_[kDigits + 1];
    int from_ = kDigits;
};

extern std::int64_t cislo_radky; // current input line, from 1
extern LineNumber s_cislo_radky; // the same as decimal text

// Length of the text the last dej_element, dej_zbytek_elementu or dej_obsah left in its buffer: the bytes
// before the first NUL, so that callers need not measure the text again.
extern int piece_len;

int dej_element(char* buf);
int dej_zbytek_elementu(char* buf, char blank_mode);
int preskoc_zbytek_komentare();
int dej_obsah(char* buf);
char prvek_zac_kon(const char* start, const char* end);

// A whole field on one line, seen in the input buffer where it stands: the gap up to its '<', the start
// tag's name ended by '>', the content ended by '<' and the end tag's name ended by '>'. This is the shape
// of nearly every element of a document, and taking it in one look, without copying a byte, is what makes
// a file go at the speed of reading it.
struct FieldLine {
    std::string_view name;     // the start tag's name
    std::string_view content;  // the content (it holds no blank, so it is the field's value too)
    std::string_view end_name; // the end tag's name
    std::string_view element;  // the whole element, from its '<' to the end tag's '>'
    int lines = 0;             // line feeds in the gap before the start tag
    std::size_t next = 0;      // where the scanner goes on after the end tag
};
// True when the next element has that shape within the next 48 bytes of the buffer, with no control byte,
// blank or colon anywhere from its '<' to its last '>': then reading it with dej_element, dej_obsah and
// dej_element again would store exactly these texts and count exactly these lines.
// Nothing is consumed: the views stay valid until take_field_line or any other read. Otherwise false, and
// the caller takes the general path.
bool peek_field_line(FieldLine& f);
// peek_field_line answers false for every element when this is off, so that the general path reads the
// whole document; tests turn it off to compare the two paths. A setting, not run state: a run keeps it.
extern bool quick_lane;
// Consumes the element peek_field_line has just seen, leaving the scanner as the general path would.
void take_field_line(const FieldLine& f);

// The same test on texts whose lengths are known: the end name, past its first character, begins with the
// start name.
// Names are a few bytes long: compared as words, not by a call of the library's memcmp.
inline bool end_matches(std::string_view start, std::string_view end) {
    if (start.empty())
        return true;
    return end.size() > start.size() && util::same_bytes(end.data() + 1, start.data(), start.size());
}

// The input file being read (insoub).
bool open_input(const char* name);
void close_input();
// The identity of the open input file (none when reading from memory).
util::FileId input_identity();
// Tests read from memory instead of a file.
void open_input_memory(std::string_view bytes);

void reset_scanner();

} // namespace reader
