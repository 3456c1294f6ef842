// The consistency rules at the end of each employee block.
#pragma once

#include "checks/fields.h"

#include <cstdint>
#include <string_view>

namespace checks {

// All checks across the fields of the employee just closed; returns 1.
int k_NecK();

// What the end-of-employee rules read of the block just closed, by employee row (checks::nec).
namespace nec_state {
// The field's last occurrence passed its checks (an absent field keeps the mark of its last occurrence).
template <class... Row>
bool ok(Row... f) {
    return ((NTabEsw[f] != 'E') && ...);
}
// The parsed number of this block; 0 when the field did not occur.
inline double v(int f) {
    return NTabSum[f];
}
// The line of the field's last occurrence.
inline std::string_view line(int f) {
    return NTabLin[f];
}
} // namespace nec_state

} // namespace checks
