// The employer-end step: missing fields, persons' records, employer figures against the sums.
#pragma once

namespace checks {

// Runs at each employer end tag; leaves the processing mode at 'H'. Returns 0.
int zpracuj_TELk();

int chk_AA0118(double salaries);

} // namespace checks
