// Micro benchmarks of the hot paths, so that a regression shows in isolation: the tag scanner (the general
// path and the one-look reading of field lines), the field lookup, number parsing and the report row writer.
#include "checks/employee.h"
#include "checks/fields.h"
#include "checks/totals.h"
#include "reader/handlers.h"
#include "reader/scanner.h"
#include "report/context.h"
#include "report/writer.h"
#include "util/console.h"
#include "util/number.h"
#include "validator/run.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace {

// One employee block's worth of field lines, as a document writes them.
std::string employee_lines(int copies) {
    std::string s;
    for (int i = 0; i < copies; ++i)
        for (const char* f : {"AA0131", "AA0132", "AA0138", "AA0144", "AA0218", "AA0013"})
            s += std::string("      <") + f + ">12345</" + f + ">\r\n";
    return s;
}

void Scanner(benchmark::State& state) {
    const std::string doc = employee_lines(20000);
    char buf[302];
    for (auto _ : state) {
        validator::reset_state();
        util::quiet = true;
        reader::open_input_memory(doc);
        // Reads element, content and end tag until the last piece of the document.
        for (std::size_t fields = 0; fields < 120000; ++fields) {
            reader::dej_element(buf);
            reader::dej_zbytek_elementu(buf, reader::Blanks::skip);
            reader::dej_obsah(buf);
            reader::dej_element(buf);
        }
        benchmark::DoNotOptimize(buf);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(Scanner);

// The same lines read the one-look way, as the walk reads nearly every field of a document.
void OneLookFields(benchmark::State& state) {
    const std::string doc = employee_lines(20000);
    for (auto _ : state) {
        validator::reset_state();
        util::quiet = true;
        reader::open_input_memory(doc);
        // The first field the general way, which fills the buffer; then the rest, all but the last one.
        char buf[302];
        reader::dej_element(buf);
        reader::dej_zbytek_elementu(buf, reader::Blanks::skip);
        reader::dej_obsah(buf);
        reader::dej_element(buf);
        std::size_t fields = 1;
        reader::OneLookField f;
        while (reader::peek_one_look(f)) {
            reader::take_one_look(f);
            benchmark::DoNotOptimize(f);
            ++fields;
        }
        benchmark::DoNotOptimize(fields);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * doc.size()));
}
BENCHMARK(OneLookFields);

void FieldLookup(benchmark::State& state) {
    const char* names[] = {"AA0126", "AA0131", "AA0690", "AA9999", "AA0144", "rok", "zamestnanec", "AA0218"};
    for (auto _ : state)
        for (const char* n : names)
            benchmark::DoNotOptimize(checks::find_nec(n));
    state.SetItemsProcessed(state.iterations() * 8);
}
BENCHMARK(FieldLookup);

void NumberParsing(benchmark::State& state) {
    const char* texts[] = {"40", "1248.5", "-99999", "114860", "0.4959", "181", "12a", "999999999999"};
    double v = 0;
    for (auto _ : state)
        for (const char* t : texts)
            benchmark::DoNotOptimize(util::StrToDbl(v, t, 'R'));
    state.SetItemsProcessed(state.iterations() * 8);
}
BENCHMARK(NumberParsing);

void ReportRow(benchmark::State& state) {
    std::string sink;
    const char format = static_cast<char>(state.range(0));
    validator::reset_state();
    report::sw_err = format;
    report::errsoub.open_memory(&sink);
    report::telicokod.assign("12345679");
    report::identnec.assign("1001");
    for (auto _ : state) {
        report::zpracuj_chybu("1234567", "EL005", "AA0131", "40.5", "?");
        if (sink.size() > (1 << 24))
            sink.clear();
    }
    report::errsoub.close();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ReportRow)->Arg('H')->Arg('C')->Arg('T')->Arg('X');

// The end of an employer with every slot taken, its identifiers in reverse order and each person holding
// two records: the sort and the person walk over 15 000 records. One run must stay well below 100 ms,
// or a large employer becomes a pause the user notices; a slower run is marked as an error.
void FullEmployerEnd(benchmark::State& state) {
    validator::reset_state();
    util::quiet = true;
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        checks::start_employer_slots();
        for (int k = 0; k < checks::kSlots; ++k) {
            checks::next_employee_slot();
            checks::anec_iAA0126[k].assign(std::to_string(100000 + (checks::kSlots - 1 - k) / 2));
            checks::anec_lin[k].assign(std::to_string(k + 1));
            checks::anec_ind[k] = k;
        }
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        checks::zpracuj_TELk(true);
        slowest = std::max(slowest,
                           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["slowest_ms"] = slowest * 1000;
    if (slowest > 0.1)
        state.SkipWithError("the end of a full employer took more than 100 ms");
}
BENCHMARK(FullEmployerEnd)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
