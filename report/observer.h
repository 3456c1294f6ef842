// A front end may watch the findings of a run as the report lists them: the page of the browser edition
// shows them as records. The console program watches nothing, and a run without an observer pays one
// predictable branch per finding.
#pragma once

#include <string_view>

namespace report {

// One finding as its report row shows it: the same texts, Windows-1250, the expected text after the
// catalogue's default was applied, the catalogue's message. The texts live only for the call.
struct Finding {
    std::string_view line, code, employer, employee, element, value, expected, message;
};

struct Observer {
    // Every finding that the report lists (with -w the W findings are counted but not listed, so not seen).
    void (*finding)(void* context, const Finding& f) = nullptr;
    // An input file begins at this line of the run (its first line; several files of a list count their
    // lines on from the previous file's last one).
    void (*file_start)(void* context, std::string_view line) = nullptr;
    void* context = nullptr;
};

// Watches the findings from now on; report::reset() ends it (every run starts without one).
void set_observer(const Observer& observer);

// The run driver tells where each input file begins: at the line that the scanner now stands on.
void file_started();

} // namespace report
