// The tag scanner: cuts the input into tag names, tag rests, contents and comments, counting lines.
#pragma once

#include "util/platform.h"
#include "util/text.h"

#include <cstdint>

namespace reader {

// Every piece is cut after this many characters; a buffer needs room for them and a terminator.
inline constexpr int kPiece = 301;

extern char je_OTVZAV;           // 'A' when the '<' of the next tag has been consumed
extern char je_ZAVZAV;           // 'A' when the '>' of the current tag has been consumed
extern std::int64_t cislo_radky; // current input line, from 1; its text is report::s_cislo_radky

// Length of the text the last dej_element, dej_zbytek_elementu or dej_obsah left in its buffer: the bytes
// before the first NUL, so that callers need not measure the text again.
extern int piece_len;

int dej_element(char* buf);
// Blanks in the rest of a start tag: skipped (a field's attributes, compared without them) or kept (the
// prologue's and the root's rests, echoed as they stand).
enum class Blanks { skip, keep };
int dej_zbytek_elementu(char* buf, Blanks blanks);
int preskoc_zbytek_komentare();
int dej_obsah(char* buf);
char prvek_zac_kon(const char* start, const char* end);

// A whole field on one line, seen in the input buffer where it stands: the gap up to its '<', the start
// tag's name ended by '>', the content ended by '<' and the end tag's name ended by '>'. This is the shape
// of nearly every element of a document, and taking it in one look, without copying a byte, is what makes
// a file go at the speed of reading it.
struct OneLookField {
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
// Nothing is consumed: the views stay valid until take_one_look or any other read. Otherwise false, and
// the caller takes the general path.
bool peek_one_look(OneLookField& f);
// peek_one_look answers false for every element when this is off, so that the general path reads the
// whole document; tests turn it off to compare the two paths. A setting, not run state: a run keeps it.
extern bool one_look;
// A field whose name is known before it is read, as the next field of an employee record nearly always
// is: its start tag as one 8-byte word ("<AA0131>") and its end tag past the '<' as another ("/AA0131>").
// Names of six bytes only, which every employee field has.
struct ExpectedTags {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};
// Where such a field stands in the input buffer: its '<', its content's length and the line feeds before
// it. Its name is the 6 bytes after the '<', its content follows the start tag and its end tag the
// content; at least 8 bytes of the buffer follow the content, whatever they hold.
struct KnownField {
    const char* start = nullptr;
    std::size_t length = 0;
    int lines = 0;
    std::string_view name() const { return {start + 1, 6}; }
    std::string_view content() const { return {start + 8, length}; }
    std::string_view end_name() const { return {start + 9 + length, 7}; }
    std::string_view element() const { return {start, 17 + length}; }
};
// peek_one_look for that one field: true when the next element is that field, with its '<' in the next
// 16 bytes and a content of up to 15 bytes with no control byte, blank, colon or '<'. Such an element is
// one peek_one_look takes too, with exactly these texts; testing it against the known tags costs a third
// of classifying the 48 bytes it lies in, and finding its row by name costs nothing. take_known then
// consumes it as take_one_look would.
bool peek_expected(const ExpectedTags& tags, KnownField& f);
void take_known(const KnownField& f);
// Consumes the element peek_one_look has just seen, leaving the scanner as the general path would.
void take_one_look(const OneLookField& f);

// The same test on texts whose lengths are known: the end name, past its first character, begins with the
// start name.
// Names are a few bytes long: compared as words, not by a call of the library's memcmp.
inline bool end_matches(std::string_view start, std::string_view end) {
    if (start.empty())
        return true;
    return end.size() > start.size() && util::same_bytes(end.data() + 1, start.data(), start.size());
}

// What a read does when the current input file is exhausted. The run driver sets it: it opens the next
// file of a list and answers 0, so that reading goes on there, or ends the run and answers -1. Unset, the
// end of a file is the end of all input.
extern int (*konec_vstupu)();
// What a read does when the input cannot be read (an error, not its end): the run driver sets it, and it
// ends the run with a message, so that a check of part of the input never passes for a whole one. Unset,
// nothing further is read.
extern void (*input_unreadable)();

// The input file being read (insoub).
bool open_input(const char* name);
void close_input();
// The identity of the open input file (none when reading from memory).
util::FileId input_identity();
// Tests read from memory instead of a file.
void open_input_memory(std::string_view bytes);

void reset_scanner();

} // namespace reader
