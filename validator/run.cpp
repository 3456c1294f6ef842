#include "validator/run.h"

#include "checks/fields.h"
#include "checks/totals.h"
#include "reader/handlers.h"
#include "reader/scanner.h"
#include "refdata/lists.h"
#include "report/catalogue.h"
#include "report/writer.h"
#include "util/console.h"
#include "util/cp1250.h"
#include "util/platform.h"
#include "util/version.h"

#include <array>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace validator {

using util::console;
using util::console_printf;

util::Text<60> s_vstup;
util::Text<60> s_chyby;
util::Text<60> s_vystup;
util::Text<100> s_vstsez;
char sw_muf = 'N';
char s_datetime[21];

namespace {

constexpr std::size_t kArgMax = 60;

std::FILE* linsoub = nullptr; // the list file in list mode

struct Help {};

void pis_napovedu() {
    console("Volani programu:\n\nVALIX vstup chyby vystup -prepinac\n\n");
    console("\nvstup    - uplna cesta ke vstupnimu souboru, max. 60 znaku\n");
    console("             neni-li uveden hleda se zpv.xml \n");
    console("             je-li prni znak @, jedna se o seznam souboru\n");
    console("\nchyby    - uplna cesta k chybovemu souboru, max. 60 znaku\n");
    console("             neni-li uveden zapisuje se do  zpve.htm\n");
    console("             pripona urcuje typ .htm - html\n");
    console("             pripona urcuje typ .txt - textovy\n");
    console("                                .csv - (Excel)\n");
    console("                                .xml          \n");
    console("\nvystup   - uplna cesta k vystupmu souboru, max. 60 znaku\n");
    console("             neni-li uveden, vystupni  se nevytvari\n");
    console("\nprepinac - pripustne hodnoty\n");
    console("             -w potlaceni vystupu chyb vahy W\n");
    console("             -h tato napoveda\n");
    throw Help{};
}

// A file that cannot be opened ends the run; once the report is open the message goes there too.
[[noreturn]] void cannot_open(std::string_view name) {
    console_printf(" Nelze otevrit soubor  %.*s\n Program ukoncen\n", static_cast<int>(name.size()),
                   name.data());
    if (report::errsoub.is_open()) {
        report::errsoub.text(" Nelze otevrit soubor  ");
        report::errsoub.raw(name);
        report::errsoub.text("\n Program ukoncen\n");
    }
    throw Fatal{};
}

// Reads the next whitespace-delimited word of the list file into s_vstup. A word too long for a file
// name is refused rather than cut into the name of some other file.
bool next_list_word() {
    char word[kArgMax + 2];
    std::size_t n = 0;
    bool too_long = false;
    int c;
    while ((c = std::fgetc(linsoub)) != EOF && std::isspace(c))
        ;
    if (c == EOF)
        return false;
    do {
        if (n <= kArgMax)
            word[n++] = static_cast<char>(c);
        else
            too_long = true;
    } while ((c = std::fgetc(linsoub)) != EOF && !std::isspace(c));
    if (n > kArgMax)
        too_long = true;
    if (too_long) {
        console_printf(" Délka parametru vetsi nez 60  %.*s\n Program ukoncen\n", static_cast<int>(n), word);
        if (report::errsoub.is_open()) {
            char msg[64];
            report::errsoub.raw(
                {msg, util::utf8_to_cp1250(" Délka parametru vetsi nez 60  ", msg, sizeof msg)});
            report::errsoub.raw({word, n});
            report::errsoub.text("\n Program ukoncen\n");
        }
        throw Fatal{};
    }
    s_vstup.assign({word, n});
    return true;
}

void close_list() {
    if (linsoub != nullptr)
        std::fclose(linsoub);
    linsoub = nullptr;
}

void make_datetime() {
    std::time_t t = std::time(nullptr);
    // Reproducible builds and tests fix the stamp with SOURCE_DATE_EPOCH (seconds since 1970).
    if (const char* e = std::getenv("SOURCE_DATE_EPOCH"); e != nullptr && *e != '\0')
        t = static_cast<std::time_t>(std::strtoll(e, nullptr, 10));
    std::tm tm{};
    util::local_time(t, tm);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d/%02d/20%02d  %02d:%02d:%02d", tm.tm_mday, tm.tm_mon + 1,
                  tm.tm_year % 100, tm.tm_hour, tm.tm_min, tm.tm_sec);
    std::memcpy(s_datetime, stamp, 20);
    s_datetime[20] = '\0';
}

void read_arguments(int argc, const char* const* argv) {
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.size() > kArgMax) {
            console_printf(" Délka parametru vetsi nez 60  %s\n Program ukoncen\n", argv[i]);
            throw Fatal{};
        }
        char pomstr[kArgMax + 1];
        std::memcpy(pomstr, arg.data(), arg.size());
        pomstr[arg.size()] = '\0';
        if (pomstr[0] != '-') {
            ++positional;
            if (positional == 1)
                s_vstup.assign(arg);
            else if (positional == 2)
                s_chyby.assign(arg);
            else if (positional == 3)
                s_vystup.assign(arg);
            continue;
        }
        if (pomstr[1] == 'W')
            pomstr[1] = 'w';
        else if (pomstr[1] == 'H')
            pomstr[1] = 'h';
        if (arg.size() == 2 && pomstr[1] == 'w') {
            report::sw_nepisW = 'A';
        } else if (arg.size() == 2 && pomstr[1] == 'h') {
            pis_napovedu();
        } else {
            console_printf(" Chybny parametr %s\n Program ukoncen\n", pomstr);
            throw Fatal{};
        }
    }
}

// The report format follows the text after the first '.' of the report name.
char report_format() {
    const int dot = util::jinstr(s_chyby.c_str(), '.');
    if (dot == 0)
        return 'H';
    char ext[16];
    util::jsubstr(ext, s_chyby.c_str(), dot + 1, 10);
    for (char* p = ext; *p != '\0'; ++p)
        if (*p >= 'A' && *p <= 'Z')
            *p = static_cast<char>(*p - 'A' + 'a');
    const std::string_view e = ext;
    if (e == "txt")
        return 'T';
    if (e == "csv")
        return 'C';
    if (e == "xml")
        return 'X';
    return 'H';
}

// The report and the echo file are opened for writing, which empties them. When either is a file that the
// run is about to read (the input, the list file, or any file the list names), the user's data would be
// destroyed before it is read: such a run is refused before any file is opened.
void refuse_overwriting_inputs() {
    const util::FileId report = util::file_id(s_chyby.c_str());
    const util::FileId echo = s_vystup.view() == "..." ? util::FileId{} : util::file_id(s_vystup.c_str());
    if (!report.exists && !echo.exists)
        return;
    auto check = [&](const char* input) {
        const util::FileId in = util::file_id(input);
        const char* clash = in.same(report) ? s_chyby.c_str() : in.same(echo) ? s_vystup.c_str() : nullptr;
        if (clash == nullptr)
            return;
        console_printf(" Soubor  %s  je vstupnim souborem, nelze do nej zapisovat\n Program ukoncen\n",
                       clash);
        throw Fatal{};
    };
    if (s_vstup.first() != '@') {
        check(s_vstup.c_str());
        return;
    }
    const char* list = s_vstup.c_str() + 1;
    check(list);
    std::FILE* f = std::fopen(list, "rb");
    if (f == nullptr)
        return;
    char word[kArgMax + 2];
    std::size_t n = 0;
    for (int c = std::fgetc(f);; c = std::fgetc(f)) {
        if (c == EOF || std::isspace(c)) {
            if (n > 0 && n <= kArgMax) {
                word[n] = '\0';
                if (std::strcmp(word, "...") == 0)
                    break;
                try {
                    check(word);
                } catch (...) {
                    std::fclose(f);
                    throw;
                }
            }
            n = 0;
            if (c == EOF)
                break;
        } else if (n <= kArgMax) {
            word[n++] = static_cast<char>(c);
        }
    }
    std::fclose(f);
}

void open_files() {
    refuse_overwriting_inputs();
    if (!report::errsoub.open(s_chyby.c_str()))
        cannot_open(s_chyby);
    reader::sw_vystup = 'N';
    if (s_vystup.view() != "...") {
        if (!reader::outsoub.open(s_vystup.c_str()))
            cannot_open(s_vystup);
        reader::sw_vystup = 'A';
    }
    if (s_vstup.first() == '@') {
        s_vstsez.assign(s_vstup.view().substr(1));
        linsoub = std::fopen(s_vstsez.c_str(), "rb");
        if (linsoub != nullptr && util::is_directory(linsoub))
            close_list();
        if (linsoub == nullptr)
            cannot_open(s_vstsez);
        sw_muf = 'A';
        next_list_word();
    }
    if (!reader::open_input(s_vstup.c_str()))
        cannot_open(s_vstup);
}

void close_everything() {
    reader::close_input();
    close_list();
    reader::outsoub.close();
    report::errsoub.close();
}

// The end of the run: the report's last findings, summary and totals, the echo file's last line, every
// file closed, and the totals on the console.
void konec_behu() {
    report::zpracuj_KONp(reader::sw_prvniZPV == 'N', reader::sw_bylTEL == 'N');
    reader::end_echo();
    close_everything();
    console_printf("%77s\r", "");
    console_printf("Celkem chyb vahy E:%8d\n\nCelkem chyb vahy W:%8d\n", report::sumchybE, report::sumchybW);
    console("\nProgram ukoncen normalne\n");
}

// The employer end: the employer's end checks and totals, then the walk goes on at the document level.
int zpracuj_TELk() {
    checks::zpracuj_TELk(reader::sw_bylNEC == 'A');
    reader::rezim_zprac = reader::Mode::header;
    return 0;
}

// The handler of each mode of the walk. The end of the run (end_of_run, no_input) is the loop's own.
using reader::Mode;
struct ModeHandler {
    Mode mode;
    int (*handler)();
};
constexpr ModeHandler kHandlers[] = {
    {Mode::prologue, reader::zpracuj_ZACp},       {Mode::root_start, reader::zpracuj_ZPVz},
    {Mode::header, reader::zpracuj_ZPV},          {Mode::after_root, reader::zpracuj_ZPVm},
    {Mode::root_end, reader::zpracuj_ZPVk},       {Mode::employee_start, reader::zpracuj_NECz},
    {Mode::employee, reader::zpracuj_NEC},        {Mode::employee_end, reader::zpracuj_NECk},
    {Mode::employer_start, reader::zpracuj_TELz}, {Mode::employer, reader::zpracuj_TEL},
    {Mode::employer_end, zpracuj_TELk},
};

// The same table indexed by the mode's letter, so that the loop finds a handler in one step.
constexpr auto kByLetter = [] {
    std::array<int (*)(), 128> by_letter{};
    for (const ModeHandler& h : kHandlers)
        by_letter[static_cast<unsigned char>(h.mode)] = h.handler;
    return by_letter;
}();

int main_loop() {
    for (;;) {
        const Mode mode = reader::rezim_zprac;
        if (mode == Mode::no_input)
            return 0; // the end of the last input already ran the end-of-run step
        const auto letter = static_cast<unsigned char>(mode);
        int (*const handler)() = letter < kByLetter.size() ? kByLetter[letter] : nullptr;
        if (handler == nullptr) {
            // The end of the run; no handler sets any other mode, but an unknown one ends the run too
            // rather than spin.
            konec_behu();
            return 0;
        }
        handler();
    }
}

} // namespace

void reset_state() {
    close_everything();
    reader::konec_vstupu = konec_vstupu;
    report::errsoub.clear_failure();
    reader::outsoub.clear_failure();
    report::reset();
    report::sw_err = 'H';
    reader::reset();
    checks::reset();
    refdata::reset();
    s_vstup.assign("zpv.xml");
    s_chyby.assign("zpve.htm");
    s_vystup.assign("...");
    s_vstsez.clear();
    reader::sw_vystup = 'N';
    sw_muf = 'N';
    std::memset(s_datetime, 0, sizeof s_datetime);
}

int konec_vstupu() {
    if (sw_muf == 'N') {
        reader::rezim_zprac = reader::Mode::end_of_run;
        konec_behu();
        return -1;
    }
    reader::close_input();
    s_vstup.assign("...");
    next_list_word();
    if (s_vstup.view() == "...") {
        close_list();
        reader::rezim_zprac = reader::Mode::end_of_run;
        konec_behu();
        return -1;
    }
    if (!reader::open_input(s_vstup.c_str())) {
        console_printf("%77s\r", "");
        cannot_open(s_vstup);
    }
    return 0;
}

int run_in_memory(std::string_view document, char format, std::string* report, std::string* echo) {
    const bool was_quiet = util::quiet;
    reset_state();
    util::quiet = true;
    int status = 0;
    try {
        s_vstup.assign("memory.xml");
        report::sw_err = format;
        report::errsoub.open_memory(report);
        if (echo != nullptr) {
            s_vystup.assign("memory-echo.xml");
            reader::outsoub.open_memory(echo);
            reader::sw_vystup = 'A';
        }
        reader::open_input_memory(document);
        make_datetime();
        report::pis_zahlavi(s_datetime, s_vstup);
        status = main_loop();
    } catch (const Fatal& f) {
        status = f.status;
    }
    close_everything();
    util::quiet = was_quiet;
    return status;
}

int run(int argc, const char* const* argv) {
    // A closed console (or a pipe closed by its reader) must not end the run before the report is complete.
    util::ignore_broken_pipe();
    reset_state();
    int status = 0;
    try {
        console_printf("\nProgram  %s  kontola dat pro ZPV\n", util::kVersion);
        console("Kontrola souboru ZPV za 1. pololeti 2009\n");
        console("\n");
        read_arguments(argc, argv);
        report::sw_err = report_format();
        open_files();
        make_datetime();
        report::pis_zahlavi(s_datetime, s_vstup);
        status = main_loop();
        // A report or echo file that could not be written completely is not a successful run.
        for (const auto* f : {&report::errsoub, &reader::outsoub}) {
            if (f->failed()) {
                console_printf(" Chyba zapisu do souboru  %s\n",
                               f == &report::errsoub ? s_chyby.c_str() : s_vystup.c_str());
                status = 13;
            }
        }
    } catch (const Help&) {
        status = 1;
    } catch (const Fatal& f) {
        status = f.status;
    }
    std::fflush(stdout);
    close_everything();
    return status;
}

} // namespace validator
