#include "reader/handlers.h"

#include "checks/consistency.h"
#include "checks/employee.h"
#include "checks/employer.h"
#include "checks/fields.h"
#include "checks/totals.h"
#include "reader/scanner.h"
#include "report/context.h"
#include "report/writer.h"
#include "util/console.h"
#include "util/text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace reader {

using report::kNoText;

using report::identnec;
using report::s_cislo_radky;
using report::telicokod;
using std::string_view_literals::operator""sv;

Mode rezim_zprac = Mode::prologue;
char sw_prvniZPV = 'A';
char sw_bylTEL = ' ';
char sw_bylNEC = 'N';
char sw_pis_TelPre = 'N';
util::OutFile outsoub{1}; // its temporary file is signal slot 1
char sw_vystup = 'N';

namespace {
// A piece, room for the '/' that an empty form's name gets appended, and the terminator.
constexpr int kNameRoom = kPiece + 2;
char buffers[2][kNameRoom];
} // namespace
char* buf_element = buffers[0];
char* akt_elem = buffers[1];
char akt_obsah[kPiece + 1];

namespace {

constexpr std::size_t kElemMax = 51;

bool echo_on() {
    return sw_vystup == 'A';
}

// Lengths of the texts in akt_elem, akt_obsah and buf_element; the scanner hands them over with each piece,
// so no text of the walk is measured twice.
std::size_t elem_len = 0;
std::size_t obsah_len = 0;
std::size_t end_len = 0;

std::string_view elem() {
    return {akt_elem, elem_len};
}
std::string_view obsah() {
    return {akt_obsah, obsah_len};
}
std::string_view tag() {
    return {buf_element, static_cast<std::size_t>(piece_len)};
}
std::string_view end_tag() {
    return {buf_element, end_len};
}

void echo_tag(std::string_view name) {
    if (!echo_on())
        return;
    auto& out = outsoub;
    out.raw("<");
    out.raw(name);
    out.raw(">\r\n");
}

// Every field of a document has its echo line: it is assembled in the file's buffer in one go.
void echo_field(std::string_view name, std::string_view content, std::string_view end_name) {
    auto& out = outsoub;
    const std::size_t n = name.size() + content.size() + end_name.size() + 6;
    if (n > util::OutFile::kMaxRoom) {
        for (const std::string_view piece : {"<"sv, name, ">"sv, content, "<"sv, end_name, ">\r\n"sv})
            out.raw(piece);
        return;
    }
    char* const line = out.room(n);
    if (line == nullptr)
        return;
    char* p = line;
    *p++ = '<';
    util::copy_short(p, name.data(), name.size());
    p += name.size();
    *p++ = '>';
    util::copy_short(p, content.data(), content.size());
    p += content.size();
    *p++ = '<';
    util::copy_short(p, end_name.data(), end_name.size());
    p += end_name.size();
    std::memcpy(p, ">\r\n", 3);
    out.wrote(n);
}

int end_of_input() {
    rezim_zprac = Mode::no_input;
    return -1;
}

// akt_elem holds 51 characters; a longer name is cut to them.
void set_akt_elem(std::string_view name) {
    elem_len = std::min(name.size(), kElemMax);
    util::copy_short(akt_elem, name.data(), elem_len);
    akt_elem[elem_len] = '\0';
}

// The content without its leading blanks; trailing blanks stay.
void set_obsah(std::string_view content) {
    while (!content.empty() && content.front() == ' ')
        content.remove_prefix(1);
    util::copy_short(akt_obsah, content.data(), content.size());
    akt_obsah[content.size()] = '\0';
    obsah_len = content.size();
}

// A field name against a six-letter code: a fixed-size comparison the compiler does inline.
bool is_named(std::string_view name, const char (&code)[7]) {
    return name.size() == 6 && util::same_bytes(name.data(), code, 6);
}

// The name just read becomes akt_elem by trading the two buffers; the next pieces go to the other one.
void take_name_as_akt_elem() {
    const std::size_t n = std::min(static_cast<std::size_t>(piece_len), kElemMax);
    std::swap(akt_elem, buf_element);
    akt_elem[n] = '\0';
    elem_len = n;
}

// A field's echo line when the element in the input is that line: one copy.
void echo_element(std::string_view element) {
    auto& out = outsoub;
    if (element.size() + 2 > util::OutFile::kMaxRoom) {
        out.raw(element);
        out.raw("\r\n");
        return;
    }
    char* const line = out.room(element.size() + 2);
    if (line == nullptr)
        return;
    util::copy_element(line, element.data(), element.size());
    line[element.size()] = '\r';
    line[element.size() + 1] = '\n';
    out.wrote(element.size() + 2);
}

enum class Block { header, employer, employee };

// A field's echo line: the element itself when it stands in the input as its echo line (without the line
// end, `element` then holds it and is copied in one piece), otherwise assembled from its parts. It is an
// inlined function and not a lambda that captures the texts by reference: where the compiler leaves such a
// lambda as a call, the texts stay in memory for the whole walk, and the WebAssembly build reads each of
// them back as one 8-byte word right after storing it as two 4-byte halves, which stalls the processor on
// every field.
VALIX_ALWAYS_INLINE void echo_line(std::string_view name, std::string_view value, std::string_view end_name,
                                   std::string_view element) {
    if (element.empty())
        echo_field(name, value, end_name);
    else
        echo_element(element);
}

// A field that has been read: the echo line of an employee field in the content form (right after its
// end tag), the end tag's name against the start tag's, then the echo line of a header or employer field
// and the record check of the block.
VALIX_ALWAYS_INLINE void check_field(Block block, std::string_view name, std::string_view value,
                                     std::string_view end_name, bool content_form,
                                     std::string_view element = {}) {
    if (content_form && block == Block::employee && echo_on())
        echo_line(name, value, end_name, element);

    if (!end_matches(name, end_name))
        report::zpracuj_chybu(s_cislo_radky, "ES302", name, end_name, "  ");

    switch (block) {
    case Block::header:
        if (echo_on())
            echo_line(name, value, end_name, element);
        checks::k_Pre(name, value);
        break;
    case Block::employer:
        if (echo_on())
            echo_line(name, value, end_name, element);
        if (is_named(name, "AA0017"))
            telicokod.assign(value);
        checks::k_Tel(name, value);
        break;
    case Block::employee:
        if (is_named(name, "AA0126"))
            identnec.assign(value);
        checks::k_Nec(name, value);
        break;
    }
}

// One field element, whose name dej_element has just read into buf_element: the rest of its start tag,
// its content, its end tag, the echo line and the record check of its block.
int field_element(Block block) {
    take_name_as_akt_elem();
    if (elem() == "!--")
        return preskoc_zbytek_komentare() < 0 ? end_of_input() : 0;

    const int rest = dej_zbytek_elementu(buf_element, Blanks::skip);
    if (rest < 0)
        return end_of_input();
    if (rest == 2) {
        if (tag() == "/") {
            akt_elem[elem_len++] = '/';
            akt_elem[elem_len] = '\0';
        } else {
            report::zpracuj_chybu(s_cislo_radky, "ES300", elem(), tag(), "  ");
        }
    }

    const bool empty_form = elem_len > 0 && akt_elem[elem_len - 1] == '/';
    if (empty_form) {
        // No content and no end tag to read.
        akt_elem[--elem_len] = '\0';
        akt_obsah[0] = '\0';
        obsah_len = 0;
        buf_element[0] = '/';
        std::memcpy(buf_element + 1, akt_elem, elem_len + 1);
        end_len = elem_len + 1;
    } else {
        if (dej_obsah(buf_element) < 0)
            return end_of_input();
        set_obsah(tag());
        if (dej_element(buf_element) < 0)
            return end_of_input();
        end_len = static_cast<std::size_t>(piece_len);
    }
    check_field(block, elem(), obsah(), end_tag(), !empty_form);
    return 0;
}

// The common field, "<AA0131>40</AA0131>" on its own line, read where it stands in the input buffer and
// checked without a copy. It does exactly what the general path would do with it, so it is taken only when
// that path has nothing special to do: the name is no tag that leaves the block, no comment and no empty
// form. A name is cut to akt_elem's 51 characters as the general path cuts it.
bool one_look_field(Block block, std::string_view first, std::string_view second) {
    OneLookField f;
    if (!peek_one_look(f) || f.name == first || f.name == second)
        return false;
    const std::string_view name = f.name.substr(0, kElemMax);
    if (!name.empty() && (name.front() == '!' || name.back() == '/'))
        return false;
    take_one_look(f);
    // The element holds no blank and its name is shorter than the cut, so its echo line is the element
    // itself.
    check_field(block, name, f.content, f.end_name, true, f.element);
    return true;
}

// The start and end tag words of every employee field, by row; the end row's words match no input. Made
// once from the table, which is constant before any code runs.
const std::array<ExpectedTags, checks::nec::kEnd + 1> expected_nec = [] {
    std::array<ExpectedTags, checks::nec::kEnd + 1> tags{};
    for (int r = 0; r < checks::nec::kEnd; ++r) {
        const std::string_view name = checks::Ntab[r].elem;
        char start[8] = {'<'}, end_word[8] = {'/'};
        std::memcpy(start + 1, name.data(), 6);
        start[7] = '>';
        std::memcpy(end_word + 1, name.data(), 6);
        end_word[7] = '>';
        std::memcpy(&tags[r].start, start, 8);
        std::memcpy(&tags[r].end, end_word, 8);
    }
    return tags;
}();

// The employee field that follows the last one in the table's order, when it is next in the input in the
// common shape: read and checked with its row known, as one_look_field would read and check it.
bool expected_field() {
    const unsigned row = static_cast<unsigned>(checks::porDatN) + 1u;
    if (row >= static_cast<unsigned>(checks::nec::kEnd))
        return false;
    KnownField f;
    if (!peek_expected(expected_nec[row], f))
        return false;
    take_known(f);
    if (echo_on())
        echo_element(f.element());
    if (row == checks::nec::AA0126)
        identnec.assign(f.content());
    checks::k_Nec_row(static_cast<int>(row), f.name(), f.content());
    return true;
}

// The fields of a block up to one of the two tags that leave it: such a tag sets its mode, with its echo
// line (the root end tag has none); every other tag is a field element of the block.
int fields_until(Block block, std::string_view first, Mode first_mode, std::string_view second,
                 Mode second_mode, bool echo_second) {
    for (;;) {
        if (block == Block::employee && expected_field())
            continue;
        if (one_look_field(block, first, second))
            continue;
        if (dej_element(buf_element) < 0)
            return end_of_input();
        if (tag() == first || tag() == second) {
            const bool is_first = tag() == first;
            if (is_first || echo_second)
                echo_tag(tag());
            rezim_zprac = is_first ? first_mode : second_mode;
            return 0;
        }
        if (field_element(block) < 0)
            return -1;
    }
}

// Missing and repeated fields of a block. At the root end the value is three blanks and a missing
// field's expected text is its name; at employer and employee starts one blank and "0".
void completeness(const checks::FieldRule* table, const std::int32_t* counts, int rows, bool at_root_end) {
    for (int i = 0; i < rows; ++i) {
        if (counts[i] == 0)
            report::zpracuj_chybu(s_cislo_radky, "ES303", table[i].elem, at_root_end ? kNoText : " ",
                                  at_root_end ? table[i].elem : "0");
        else if (counts[i] > 1)
            report::zpracuj_chybu(s_cislo_radky, "ES304", table[i].elem, at_root_end ? kNoText : " ",
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
            set_akt_elem(tag());
            char rest[kPiece + 1] = "";
            const int r = dej_zbytek_elementu(rest, Blanks::keep);
            if (r < 0)
                return end_of_input();
            const std::string_view rest_text(rest, r == 0 ? 0 : static_cast<std::size_t>(piece_len));
            if (echo_on()) {
                auto& out = outsoub;
                out.raw("<");
                out.raw(elem());
                out.raw(" ");
                out.raw(rest_text);
                out.raw(">\r\n");
            }
        } else if (buf_element[0] == '!') {
            set_akt_elem(tag()); // a comment before the root is not skipped as one
        } else if (tag().substr(0, 3) == "ZPV") {
            if (echo_on())
                outsoub.text(kEchoRootLine);
            rezim_zprac = Mode::root_start;
            return 0;
        }
    }
}

int zpracuj_ZPVz() {
    char rest[kPiece + 1];
    if (dej_zbytek_elementu(rest, Blanks::keep) < 0)
        return end_of_input();
    checks::start_header_block();
    sw_bylTEL = 'N';
    rezim_zprac = Mode::header;
    return 0;
}

int zpracuj_ZPV() {
    return fields_until(Block::header, "zamestnavatel", Mode::employer_start, "/ZPV", Mode::root_end, false);
}

int zpracuj_ZPVk() {
    completeness(checks::Ptab, checks::PTabPre, checks::pre::kEnd, true);
    sw_prvniZPV = 'N';
    rezim_zprac = Mode::after_root;
    return 0;
}

int zpracuj_ZPVm() {
    for (;;) {
        if (dej_element(buf_element) < 0)
            return end_of_input();
        if (tag() == "zamestnavatel") {
            echo_tag(tag());
            rezim_zprac = Mode::employer_start;
            return 0;
        }
        if (tag() == "/ZPV") {
            rezim_zprac = Mode::root_end;
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
    identnec.assign(kNoText);
    rezim_zprac = Mode::employer;
    sw_bylTEL = 'A';
    sw_bylNEC = 'N';
    return 0;
}

int zpracuj_TEL() {
    return fields_until(Block::employer, "zamestnanec", Mode::employee_start, "/zamestnavatel",
                        Mode::employer_end, true);
}

int zpracuj_NECz() {
    if (sw_pis_TelPre == 'A') {
        completeness(checks::Ttab, checks::TTabPre, checks::tel::kEnd, false);
        sw_pis_TelPre = 'N';
    }
    rezim_zprac = Mode::employee;
    checks::start_employee_block();
    checks::next_employee_slot();
    sw_bylNEC = 'A';
    return 0;
}

// An employer end tag inside an employee block ends both without their end checks.
int zpracuj_NEC() {
    return fields_until(Block::employee, "/zamestnanec", Mode::employee_end, "/zamestnavatel", Mode::header,
                        true);
}

int zpracuj_NECk() {
    util::progress(cislo_radky, identnec, telicokod);
    rezim_zprac = Mode::employer;
    for (int i = 0; i < checks::nec::kEnd; ++i)
        if (checks::NTabPre[i] > 1)
            report::zpracuj_chybu(s_cislo_radky, "ES304", checks::Ntab[i].elem, " ",
                                  util::fmt("%d", checks::NTabPre[i]));
    checks::k_NecK();
    checks::end_employee();
    return 0;
}

void end_echo() {
    if (sw_vystup == 'A')
        outsoub.text("</ZPV>\n");
}

void reset() {
    reset_scanner();
    rezim_zprac = Mode::prologue;
    sw_prvniZPV = 'A';
    sw_bylTEL = ' ';
    sw_bylNEC = 'N';
    sw_pis_TelPre = 'N';
    buf_element[0] = akt_elem[0] = akt_obsah[0] = '\0';
    elem_len = obsah_len = end_len = 0;
}

} // namespace reader
