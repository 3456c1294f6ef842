// The element handlers: the modes of the document walk, the block resets and completeness checks,
// the record context of every finding, and the echo file.
#pragma once

#include "reader/scanner.h"
#include "util/outfile.h"
#include "util/text.h"

#include <string_view>

namespace reader {

// The echo file's root start line, whatever the document's own root attributes ("\n" is written CR LF).
inline constexpr std::string_view kEchoRootLine =
    "<ZPV verze=\"1.6\" xmlns=\"http://www.example.cz/schemas/2004/ZPV/1.6/\"> \n";

// The processing mode: where the walk stands in the document. Each mode keeps its one-letter name, which
// is what the walk's handlers were first written against; the run driver calls the handler of the mode.
enum class Mode : char {
    prologue = 'Z',       // before the root start tag (zpracuj_ZACp)
    root_start = 'G',     // the root start tag seen, its rest not yet read (zpracuj_ZPVz)
    header = 'H',         // inside the root, outside any employer block (zpracuj_ZPV)
    root_end = 'J',       // the root end tag seen (zpracuj_ZPVk)
    after_root = 'I',     // after the root end tag (zpracuj_ZPVm)
    employer_start = 'S', // zpracuj_TELz
    employer = 'T',       // inside an employer block, outside any employee block (zpracuj_TEL)
    employer_end = 'U',   // the employer's end checks and totals (zpracuj_TELk)
    employee_start = 'M', // zpracuj_NECz
    employee = 'N',       // inside an employee block (zpracuj_NEC)
    employee_end = 'O',   // zpracuj_NECk
    end_of_run = 'K',     // no further input: the end-of-run step
    no_input = 'W',       // a read met the end of all input inside a handler
};

extern Mode rezim_zprac;   // processing mode
extern char sw_prvniZPV;   // 'A' until the root end tag has been handled
extern char sw_bylTEL;     // 'N' at the root start, 'A' from the first employer start
extern char sw_bylNEC;     // 'N' at each employer start, 'A' at each employee start
extern char sw_pis_TelPre; // 'A' until the first employee of the employer ran the employer check

// The scanner's buffer and the current element's name. They are two buffers of 301 characters that trade
// places when a field's name becomes akt_elem, so the name is never copied; akt_elem is cut to 51.
extern char* buf_element;
extern char* akt_elem;
extern char akt_obsah[kPiece + 1];

int zpracuj_ZACp();
int zpracuj_ZPVz();
int zpracuj_ZPV();
int zpracuj_ZPVk();
int zpracuj_ZPVm();
int zpracuj_TELz();
int zpracuj_TEL();
int zpracuj_NECz();
int zpracuj_NEC();
int zpracuj_NECk();

// The echo file: every element read, one per line, written by the handlers while sw_vystup is 'A'. The
// run driver opens it, and at the end of the run writes its last line (end_echo) and closes it.
extern util::OutFile outsoub;
extern char sw_vystup;
void end_echo();

// The walk's run state, and the scanner's with it.
void reset();

} // namespace reader
