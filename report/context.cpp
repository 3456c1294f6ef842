#include "report/context.h"

namespace report {

util::LineNumber s_cislo_radky;
util::Text<19> telicokod;
util::Text<11> identnec;

void reset_context() {
    s_cislo_radky.reset();
    telicokod.clear();
    identnec.clear();
}

} // namespace report
