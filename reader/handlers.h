// The element handlers: the modes of the document walk, the block resets and completeness checks,
// the record context of every finding, and the echo file.
#pragma once

#include "util/text.h"

namespace reader {

extern char rezim_zprac;   // processing mode
extern char sw_prvniZPV;   // 'A' until the root end tag has been handled
extern char sw_bylTEL;     // 'N' at the root start, 'A' from the first employer start
extern char sw_bylNEC;     // 'N' at each employer start, 'A' at each employee start
extern char sw_pis_TelPre; // 'A' until the first employee of the employer ran the employer check

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
