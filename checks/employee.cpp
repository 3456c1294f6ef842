// Employee records: the per-employee arrays of the current employer, filled as each employee's fields are
// read, the code-list lookups of the coded employee fields, and the per-employer accumulators.
#include "checks/employee.h"

#include "refdata/lists.h"
#include "report/context.h"
#include "util/number.h"

namespace checks {

std::int32_t maxAktiAnec = -1;
util::Text<10> anec_iAA0126[kSlots];
LineText anec_lin[kSlots];
std::int32_t anec_ind[kSlots];
std::int32_t anec_iAA0231[kSlots];
char anec_iAA0211[kSlots];
char anec_iAA0223[kSlots];
std::int32_t anec_iAA0033[kSlots];
double anec_iAA0131[kSlots];
double anec_iAA0132[kSlots];
std::int32_t anec_iAA0137[kSlots];
util::Text<7> necsav_AA0013;
double sumz_AA0136, sumz_AA0137, sumz_AA0144;
std::int32_t sw_anec_AA0137;
std::int32_t sw_anec_AA0033;
LineText lin_anec_AA0033;
util::Text<3> val_anec_AA0033;
std::int32_t sumz_AA0223_Z;
char sav_AA0223 = ' ';
char sw_stejne_vzdelani = 'A';

namespace {

// A slot is given its start values when the first employee of the run reaches it; the slots from
// ready_slots on have not been reached and are never read. A run therefore touches only the memory its
// largest employer needs: a small document starts at once instead of first writing a megabyte of slots.
int ready_slots = 0;

// Every slot from used_slots up to ready_slots holds its reset values; only the slots below may differ.
// An employer start therefore resets just the slots the previous employer used, so a file of many small
// employers does not pay for 15 000 slots each time.
int used_slots = 0;

// The arrays that an employer start resets; anec_lin and anec_iAA0137 keep what an earlier employer's
// employee left in the slot.
void reset_slot(int s) {
    anec_iAA0126[s].assign("-");
    anec_ind[s] = -1;
    anec_iAA0231[s] = 0;
    anec_iAA0211[s] = ' ';
    anec_iAA0223[s] = ' ';
    anec_iAA0033[s] = 0;
    anec_iAA0131[s] = 0.0;
    anec_iAA0132[s] = 0.0;
}

void reset_slots(int n) {
    if (n > ready_slots)
        n = ready_slots;
    for (int s = 0; s < n; ++s)
        reset_slot(s);
}

// Truncates toward zero. Values are filed before their length is checked, so a number far outside the
// field's range can arrive here; it is held at the end of the 32-bit range instead of overflowing.
// The first character of a code. An empty code (already a length finding) files the text's terminator,
// code 0: unlike the blank of a block without the field, it shows as the empty text in a report row and
// orders below every other character.
char first_char(std::string_view text) {
    return text.empty() ? '\0' : text[0];
}

} // namespace

void start_employer_slots() {
    int n = used_slots > maxAktiAnec + 1 ? used_slots : maxAktiAnec + 1;
    if (n > kSlots)
        n = kSlots;
    reset_slots(n);
    used_slots = 0;
    maxAktiAnec = -1;
    sumz_AA0136 = sumz_AA0137 = sumz_AA0144 = 0.0;
    sumz_AA0223_Z = 0;
    sw_anec_AA0137 = 0;
    sw_anec_AA0033 = 0;
    sw_stejne_vzdelani = 'A';
}

// The 15 000th employee of an employer and every later one share the last slot.
void next_employee_slot() {
    if (maxAktiAnec < kSlots - 1)
        ++maxAktiAnec;
    if (maxAktiAnec == ready_slots) {
        // The first visit of this slot in the run: the values a run starts with.
        reset_slot(maxAktiAnec);
        anec_lin[maxAktiAnec].clear();
        anec_iAA0137[maxAktiAnec] = 0;
        ++ready_slots;
    }
}

// A field absent from the block counts 0; the fields' marks are not consulted.
void end_employee() {
    sumz_AA0136 += NTabSum[nec::AA0136];
    if (NTabSum[nec::AA0137] == 1)
        sumz_AA0137 += NTabSum[nec::AA0137];
    if (NTabSum[nec::AA0137] > 1)
        sw_anec_AA0137 = 2;
    sumz_AA0144 += NTabSum[nec::AA0144];
}

// Runs before the length check, so a value of the wrong length is filed all the same; texts longer than
// their slot are cut to it.
void file_employee_value(int row, std::string_view text) {
    if (row == nec::AA0013) {
        necsav_AA0013.assign(text);
        return;
    }
    const int s = maxAktiAnec;
    if (s < 0 || s >= kSlots) // no employee block has started: there is no slot to file into
        return;
    if (s >= used_slots)
        used_slots = s + 1;
    const double value = NTabSum[row];
    switch (row) {
    case nec::AA0126:
        anec_iAA0126[s].assign(text);
        anec_lin[s] = report::s_cislo_radky;
        anec_ind[s] = s;
        break;
    case nec::AA0231:
        anec_iAA0231[s] = util::trunc32(value);
        break;
    case nec::AA0211:
        anec_iAA0211[s] = first_char(text);
        break;
    case nec::AA0223:
        anec_iAA0223[s] = first_char(text);
        break;
    case nec::AA0033:
        anec_iAA0033[s] = refdata::stat_position(text);
        break;
    case nec::AA0131:
        anec_iAA0131[s] = value;
        break;
    case nec::AA0132:
        anec_iAA0132[s] = value;
        break;
    case nec::AA0137:
        anec_iAA0137[s] = util::trunc32(value);
        break;
    default:
        break;
    }
}

// Runs after the bound checks whatever they found; the lookups' findings leave the field's mark alone.
void lookup_employee_code(int row, std::string_view text) {
    switch (row) {
    case nec::AA0223:
        refdata::cis_kodvzde(text);
        break;
    case nec::AA0033:
        // The employer-end checks recommend the two-letter code once per employer, at the last longer one.
        if (text.size() > 2) {
            sw_anec_AA0033 = 1;
            lin_anec_AA0033 = report::s_cislo_radky;
            val_anec_AA0033.assign(text);
        }
        refdata::cis_kodstat(text);
        break;
    case nec::AA0013:
        refdata::cis_kodzam(text);
        break;
    case nec::AA0130:
        refdata::cis_koddppv(text);
        break;
    case nec::AA0091:
        refdata::cis_postzam(text);
        break;
    case nec::AA0690:
        refdata::cis_kodnuts(text, "AA0690");
        break;
    default:
        break;
    }
}

void reset_employees() {
    ready_slots = 0;
    used_slots = 0;
    maxAktiAnec = -1;
    necsav_AA0013.clear();
    sumz_AA0136 = sumz_AA0137 = sumz_AA0144 = 0.0;
    sumz_AA0223_Z = 0;
    sw_anec_AA0137 = 0;
    sw_anec_AA0033 = 0;
    lin_anec_AA0033.clear();
    val_anec_AA0033.clear();
    sav_AA0223 = ' ';
    sw_stejne_vzdelani = 'A';
}

} // namespace checks
