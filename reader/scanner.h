// The tag scanner: cuts the input into tag names, tag rests, contents and comments, counting lines.
#pragma once

#include "util/text.h"

#include <cstdint>

namespace reader {

// Every piece is cut after this many characters; a buffer needs room for them and a terminator.
inline constexpr int kPiece = 301;

extern char je_OTVZAV; // 'A' when the '<' of the next tag has been consumed
extern char je_ZAVZAV; // 'A' when the '>' of the current tag has been consumed
extern std::int64_t cislo_radky;       // current input line, from 1
extern util::Text<20> s_cislo_radky;   // the same as decimal text

int dej_element(char* buf);
int dej_zbytek_elementu(char* buf, char blank_mode);
int preskoc_zbytek_komentare();
int dej_obsah(char* buf);
char prvek_zac_kon(const char* start, const char* end);

// The input file being read (insoub).
bool open_input(const char* name);
void close_input();
bool input_is_open();
// Tests read from memory instead of a file.
void open_input_memory(std::string_view bytes);

void reset_scanner();

} // namespace reader
