#include "reader/handlers.h"

#include "checks/consistency.h"
#include "checks/employee.h"
#include "checks/employer.h"
#include "checks/fields.h"
#include "checks/totals.h"
#include "reader/scanner.h"
#include "report/writer.h"
#include "util/text.h"
#include "validator/run.h"

#include <algorithm>
#include <cstring>

namespace reader {

char rezim_zprac = 'Z';
char sw_prvniZPV = 'A';
char sw_bylTEL = ' ';
char sw_bylNEC = 'N';
char sw_pis_TelPre = 'N';

util::Text<19> telicokod;
util::Text<11> identnec;

char buf_element[302];
// Room for a 51-character name and the '/' of an empty element written with a blank before the slash.
char akt_elem[53];
char akt_obsah[302];

namespace {

constexpr std::size_t kElemMax = 51;

// The echo file's root start line does not depend on the document's own root attributes.
constexpr std::string_view kRootLine =
    "<ZPV verze=\"1.6\" xmlns=\"http://www.example.cz/schemas/2004/ZPV/1.6/\"> \n";

bool echo_on() { return validator::sw_vystup == 'A'; }

void echo_tag(std::string_view name) {
    if (!echo_on())
        return;
    auto& out = validator::outsoub;
    out.raw("<");
    out.raw(name);
    out.raw(">\r\n");
}

void echo_field() {
    auto& out = validator::outsoub;
    out.raw("<");
    out.raw(akt_elem);
    out.raw(">");
    out.raw(akt_obsah);
    out.raw("<");
    out.raw(buf_element);
    out.raw(">\r\n");
}

int end_of_input() {
    rezim_zprac = 'W';
    return -1;
}

void set_akt_elem(const char* name) {
    const std::size_t n = std::min(std::strlen(name), kElemMax);
    std::memcpy(akt_elem, name, n);
    akt_elem[n] = '\0';
}

enum class Block { header, employer, employee };

// One field element, whose name dej_element has just read into buf_element: the rest of its start tag,
// its content, its end tag, the echo line and the record check of its block.
int field_element(Block block) {
    set_akt_elem(buf_element);
    if (std::strcmp(akt_elem, "!--") == 0)
        return preskoc_zbytek_komentare() < 0 ? end_of_input() : 0;

    const int rest = dej_zbytek_elementu(buf_element, 'A');
    if (rest < 0)
        return end_of_input();
    if (rest == 2) {
        if (std::strcmp(buf_element, "/") == 0)
            std::strcat(akt_elem, "/");
        else
            report::zpracuj_chybu(s_cislo_radky, "ES300", akt_elem, buf_element, "  ");
    }

    std::size_t len = std::strlen(akt_elem);
    if (len > 0 && akt_elem[len - 1] == '/') {
        // The empty form: no content and no end tag to read.
        akt_elem[--len] = '\0';
        akt_obsah[0] = '\0';
        buf_element[0] = '/';
        std::memcpy(buf_element + 1, akt_elem, len + 1);
    } else {
        if (dej_obsah(buf_element) < 0)
            return end_of_input();
        util::jezltrim(akt_obsah, buf_element);
        if (dej_element(buf_element) < 0)
            return end_of_input();
        // Employee fields are echoed only in the content form, right after their end tag.
        if (block == Block::employee && echo_on())
            echo_field();
    }

    if (prvek_zac_kon(akt_elem, buf_element) == 'N')
        report::zpracuj_chybu(s_cislo_radky, "ES302", akt_elem, buf_element, "  ");

    switch (block) {
    case Block::header:
        if (echo_on())
            echo_field();
        checks::k_Pre(akt_elem, akt_obsah);
        break;
    case Block::employer:
        if (echo_on())
            echo_field();
        if (std::strcmp(akt_elem, "AA0017") == 0)
            telicokod.assign(akt_obsah);
        checks::k_Tel(akt_elem, akt_obsah);
        break;
    case Block::employee:
        if (std::strcmp(akt_elem, "AA0126") == 0)
            identnec.assign(akt_obsah);
        checks::k_Nec(akt_elem, akt_obsah);
        break;
    }
    return 0;
}

// Missing and repeated fields of a block. At the root end the value is three blanks and a missing
// field's expected text is its name; at employer and employee starts one blank and "0".
void completeness(const checks::FieldRule* table, const std::int32_t* counts, int rows, bool at_root_end) {
    for (int i = 0; i < rows; ++i) {
        if (counts[i] == 0)
            report::zpracuj_chybu(s_cislo_radky, "ES303", table[i].elem, at_root_end ? "   " : " ",
                                  at_root_end ? table[i].elem : "0");
        else if (counts[i] > 1)
            report::zpracuj_chybu(s_cislo_radky, "ES304", table[i].elem, at_root_end ? "   " : " ",
                                  util::fmt("%d", counts[i]));
    }
}

} // namespace

int zpracuj_ZACp() {
    for (;;) {
        if (dej_element(buf_element) < 0)
            return end_of_input();
        if (buf_element[0] == '?') {
            // A prologue tag: its rest, blanks kept, goes to the echo file.
            set_akt_elem(buf_element);
            char rest[302] = "";
            const int r = dej_zbytek_elementu(rest, 'N');
            if (r < 0)
                return end_of_input();
            if (echo_on()) {
                auto& out = validator::outsoub;
                out.raw("<");
                out.raw(akt_elem);
                out.raw(" ");
                out.raw(rest);
                out.raw(">\r\n");
            }
        } else if (buf_element[0] == '!') {
            set_akt_elem(buf_element); // a comment before the root is not skipped as one
        } else if (std::strncmp(buf_element, "ZPV", 3) == 0) {
            if (echo_on())
                validator::outsoub.text(kRootLine);
            rezim_zprac = 'G';
            return 0;
        }
    }
}

int zpracuj_ZPVz() {
    char rest[302];
    if (dej_zbytek_elementu(rest, 'N') < 0)
        return end_of_input();
    checks::start_header_block();
    sw_bylTEL = 'N';
    rezim_zprac = 'H';
    return 0;
}

int zpracuj_ZPV() {
    for (;;) {
        if (dej_element(buf_element) < 0)
            return end_of_input();
        if (std::strcmp(buf_element, "zamestnavatel") == 0) {
            echo_tag(buf_element);
            rezim_zprac = 'S';
            return 0;
        }
        if (std::strcmp(buf_element, "/ZPV") == 0) {
            rezim_zprac = 'J';
            return 0;
        }
        if (field_element(Block::header) < 0)
            return -1;
    }
}

int zpracuj_ZPVk() {
    completeness(checks::Ptab, checks::PTabPre, checks::pre::kEnd, true);
    sw_prvniZPV = 'N';
    rezim_zprac = 'I';
    return 0;
}

int zpracuj_ZPVm() {
    for (;;) {
        if (dej_element(buf_element) < 0)
            return end_of_input();
        if (std::strcmp(buf_element, "zamestnavatel") == 0) {
            echo_tag(buf_element);
            rezim_zprac = 'S';
            return 0;
        }
        if (std::strcmp(buf_element, "/ZPV") == 0) {
            rezim_zprac = 'J';
            return 0;
        }
    }
}

int zpracuj_TELz() {
    completeness(checks::Ptab, checks::PTabPre, checks::pre::kEnd, false);
    sw_pis_TelPre = 'A';
    checks::start_employer_slots();
    checks::start_employer_values();
    checks::start_employer_block();
    identnec.assign("   ");
    rezim_zprac = 'T';
    sw_bylTEL = 'A';
    sw_bylNEC = 'N';
    return 0;
}

int zpracuj_TEL() {
    for (;;) {
        if (dej_element(buf_element) < 0)
            return end_of_input();
        if (std::strcmp(buf_element, "zamestnanec") == 0) {
            echo_tag(buf_element);
            rezim_zprac = 'M';
            return 0;
        }
        if (std::strcmp(buf_element, "/zamestnavatel") == 0) {
            echo_tag(buf_element);
            rezim_zprac = 'U';
            return 0;
        }
        if (field_element(Block::employer) < 0)
            return -1;
    }
}

int zpracuj_NECz() {
    if (sw_pis_TelPre == 'A') {
        completeness(checks::Ttab, checks::TTabPre, checks::tel::kEnd, false);
        sw_pis_TelPre = 'N';
    }
    rezim_zprac = 'N';
    checks::start_employee_block();
    checks::next_employee_slot();
    sw_bylNEC = 'A';
    return 0;
}

int zpracuj_NEC() {
    for (;;) {
        if (dej_element(buf_element) < 0)
            return end_of_input();
        if (std::strcmp(buf_element, "/zamestnanec") == 0) {
            echo_tag(buf_element);
            rezim_zprac = 'O';
            return 0;
        }
        if (std::strcmp(buf_element, "/zamestnavatel") == 0) {
            // The employee and the employer end here without their end checks.
            echo_tag(buf_element);
            rezim_zprac = 'H';
            return 0;
        }
        if (field_element(Block::employee) < 0)
            return -1;
    }
}

int zpracuj_NECk() {
    validator::progress(cislo_radky, identnec, telicokod);
    rezim_zprac = 'T';
    for (int i = 0; i < checks::nec::kEnd; ++i)
        if (checks::NTabPre[i] > 1)
            report::zpracuj_chybu(s_cislo_radky, "ES304", checks::Ntab[i].elem, " ",
                                  util::fmt("%d", checks::NTabPre[i]));
    checks::k_NecK();
    checks::end_employee();
    return 0;
}

void reset() {
    reset_scanner();
    rezim_zprac = 'Z';
    sw_prvniZPV = 'A';
    sw_bylTEL = ' ';
    sw_bylNEC = 'N';
    sw_pis_TelPre = 'N';
    telicokod.clear();
    identnec.clear();
    buf_element[0] = akt_elem[0] = akt_obsah[0] = '\0';
}

} // namespace reader
