// The employer-end step: missing fields, persons' records, employer figures against the sums.
#pragma once

namespace checks {

// Runs at each employer end tag; `had_employee` tells whether an employee block started in the employer
// (an employer without one is reported). Returns 0; the walk then goes on at the document level.
int zpracuj_TELk(bool had_employee);

int chk_AA0118(double salaries);

} // namespace checks
