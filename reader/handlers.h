// The element handlers: the modes of the document walk, the block resets and completeness checks,
// the record context of every finding, and the echo file.
#pragma once

#include "util/text.h"

#include <string_view>

namespace reader {

// The echo file's root start line, whatever the document's own root attributes ("\n" is written CR LF).
inline constexpr std::string_view kEchoRootLine =
    "<ZPV verze=\"1.6\" xmlns=\"http://www.example.cz/schemas/2004/ZPV/1.6/\"> \n";

extern char rezim_zprac;   // processing mode
extern char sw_prvniZPV;   // 'A' until the root end tag has been handled
extern char sw_bylTEL;     // 'N' at the root start, 'A' from the first employer start
extern char sw_bylNEC;     // 'N' at each employer start, 'A' at each employee start
extern char sw_pis_TelPre; // 'A' until the first employee of the employer ran the employer check

// Record context carried by every finding.
extern util::Text<19> telicokod; // employer identity
extern util::Text<11> identnec;  // employee identity

// The scanner's buffer and the current element's name. They are two buffers of 301 characters that trade
// places when a field's name becomes akt_elem, so the name is never copied; akt_elem is cut to 51.
extern char* buf_element;
extern char* akt_elem;
extern char akt_obsah[302];

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

// The walk's run state, and the scanner's with it.
void reset();

} // namespace reader
