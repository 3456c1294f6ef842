// The run: command line, files, the mode loop and the end of each input file.
#pragma once

#include "report/observer.h"
#include "util/platform.h"

#include "util/text.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace validator {

// The whole run. Returns the exit status: 0 after a complete run, 1 after the help, 13 after a fatal
// error. Every piece of run state is reset at its start, so it can run many times in one process. A front end
// that shows the findings passes an observer, which sees them for this run only.
int run(int argc, const char* const* argv, const report::Observer* observer = nullptr);

// Runs the validator on a document held in memory, the report collected in `report` in the format 'H', 'C',
// 'T' or 'X', and the echo file in `echo` when one is given; no console and no other file. The fuzzer and
// tests use it.
int run_in_memory(std::string_view document, char format, std::string* report, std::string* echo = nullptr,
                  const report::Observer* observer = nullptr);

// Restores every subsystem's run state to its start values (run() does it first).
void reset_state();

// The end of the current input file, which the tag scanner reaches through its hook: 0 when the next file
// of a list is open, -1 when there is no further input (the end of the run has then already been done).
int konec_vstupu();

// Called by the tag scanner when a read of the input fails (an I/O error, not its end): the run ends with
// status 13 and " Chyba cteni souboru  NAME" on the console and in the report, after the findings so far.
[[noreturn]] void read_failed();

// Ends the run at once with status 13 after a fatal message has been printed (thrown to run()).
struct Fatal {
    int status = 13;
    // A refused output: the report and the echo file are left as they were before the run.
    bool outputs_refused = false;
};

extern util::Text<60> s_vstup;   // input file name (the list entry being read in list mode)
extern util::Text<60> s_chyby;   // report file name
extern util::Text<60> s_vystup;  // echo file name; "..." means none
extern util::Text<100> s_vstsez; // list file name
extern char sw_muf;              // 'A' when the input is a list of files
extern char s_datetime[21];

} // namespace validator
