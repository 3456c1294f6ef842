// The tag scanner: cuts the input into tag names, tag rests, contents and comments, counting lines.
#pragma once

#include "util/text.h"

#include <cstdint>

namespace reader {

// Every piece is cut after this many characters; a buffer needs room for them and a terminator.
inline constexpr int kPiece = 301;

extern char je_OTVZAV;               // 'A' when the '<' of the next tag has been consumed
extern char je_ZAVZAV;               // 'A' when the '>' of the current tag has been consumed
extern std::int64_t cislo_radky;     // current input line, from 1
extern util::Text<20> s_cislo_radky; // the same as decimal text

// Length of the text the last dej_element, dej_zbytek_elementu or dej_obsah left in its buffer: the bytes
// before the first NUL, so that callers need not measure the text again.
extern int piece_len;

int dej_element(char* buf);
int dej_zbytek_elementu(char* buf, char blank_mode);
int preskoc_zbytek_komentare();
int dej_obsah(char* buf);
char prvek_zac_kon(const char* start, const char* end);
// The same test on texts whose lengths are known: the end name, past its first character, begins with the
// start name.
// Names are a few bytes long: a plain loop beats a call of the library's memcmp.
inline bool end_matches(std::string_view start, std::string_view end) {
    if (start.empty())
        return true;
    if (end.size() <= start.size())
        return false;
    for (std::size_t i = 0; i < start.size(); ++i)
        if (end[i + 1] != start[i])
            return false;
    return true;
}

// The input file being read (insoub).
bool open_input(const char* name);
void close_input();
bool input_is_open();
// Tests read from memory instead of a file.
void open_input_memory(std::string_view bytes);

void reset_scanner();

} // namespace reader
