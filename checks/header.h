// Header checks: the submitter's company number and the e-mail address.
#pragma once

#include <string_view>

namespace checks {

// The field-specific step of k_Pre for one field row.
void header_field_step(int row, std::string_view text);

int chk_ICOPredkladatele(std::string_view text);
int chk_eposta(std::string_view text);

} // namespace checks
