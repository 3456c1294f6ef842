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

// A fatal end about a file: " TEXT  NAME" and " Program ukoncen" on the console and, once the report is
// open, in the report too.
[[noreturn]] void fatal_file(const char* text, std::string_view name) {
    console_printf("%s  %.*s\n Program ukoncen\n", text, static_cast<int>(name.size()), name.data());
    if (report::errsoub.is_open()) {
        report::errsoub.text(text);
        report::errsoub.text("  ");
        report::errsoub.raw(name);
        report::errsoub.text("\n Program ukoncen\n");
    }
    throw Fatal{};
}

// A file that cannot be opened ends the run.
[[noreturn]] void cannot_open(std::string_view name) {
    fatal_file(" Nelze otevrit soubor", name);
}

// A read of the input or the list file failed: the findings so far are not those of the whole input, so the
// run ends like one whose next file cannot be opened, after the progress line is wiped.
[[noreturn]] void read_error(std::string_view name) {
    console_printf("%77s\r", "");
    fatal_file(" Chyba cteni souboru", name);
}

// The next byte of the list file, or EOF. The list is read once, as the run goes, so that a list from a
// pipe (@/dev/stdin, a FIFO) is read whole by the run; a read error is not taken for the end of the list.
int list_byte() {
    const int c = util::read_byte(linsoub);
    if (c == -2)
        read_error(s_vstsez.view());
    return c;
}

// Reads the next whitespace-delimited word of the list file into s_vstup. A word too long for a file
// name is refused rather than cut into the name of some other file.
bool next_list_word() {
    char word[kArgMax + 2];
    std::size_t n = 0;
    bool too_long = false;
    int c;
    while ((c = list_byte()) != EOF && std::isspace(c))
        ;
    if (c == EOF)
        return false;
    do {
        if (n <= kArgMax)
            word[n++] = static_cast<char>(c);
        else
            too_long = true;
    } while ((c = list_byte()) != EOF && !std::isspace(c));
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

bool has_echo() {
    return s_vystup.view() != "...";
}

// A refused output ends the run before it writes anything: the report and the echo file stay as they were.
// wipe_progress: the console's progress line is wiped first.
[[noreturn]] void refuse_output(const char* name, const char* why, bool wipe_progress = false) {
    if (wipe_progress)
        console_printf("%77s\r", "");
    console_printf(" Soubor  %s  %s, nelze do nej zapisovat\n Program ukoncen\n", name, why);
    throw Fatal{13, true};
}

// A run whose report or echo file is one of the files it reads (the input, the list file, or a file the
// list names) would destroy the data before reading it, or read its own output while writing it, without
// end. Names are compared as files (util::same_file), so another spelling or a hard link is the same file,
// and so is a name that does not exist yet.
void refuse_input_that_is_an_output(const char* input, bool wipe_progress = false) {
    if (util::same_file(input, s_chyby.c_str()))
        refuse_output(s_chyby.c_str(), "je vstupnim souborem", wipe_progress);
    if (has_echo() && util::same_file(input, s_vystup.c_str()))
        refuse_output(s_vystup.c_str(), "je vstupnim souborem", wipe_progress);
}

// The first bytes of a ZPV document: blanks and line ends, the XML prologue and any comments or other
// declarations, then the root start tag ZPV, with or without a prefix. An echo file of this program starts
// the same way but with its own fixed root line, right at the start or after its prologue line; the
// reports start with their own headers (HTML, a CSV or TXT header line, an XML report whose root is
// ZPV_chyby), so none of them is taken for a document.
bool is_zpv_document(std::string_view s) {
    std::size_t p = 0;
    std::size_t root = std::string_view::npos;
    int declarations = 0;
    bool comments = false;
    while (root == std::string_view::npos) {
        while (p < s.size() && (s[p] == ' ' || s[p] == '\t' || s[p] == '\r' || s[p] == '\n'))
            ++p;
        std::string_view close;
        if (s.substr(p, 4) == "<!--") {
            close = "-->";
            comments = true;
        } else if (s.substr(p, 2) == "<?") {
            close = "?>";
            ++declarations;
        } else if (s.substr(p, 2) == "<!") {
            close = ">";
            ++declarations;
        } else {
            root = p;
            break;
        }
        const std::size_t e = s.find(close, p + 2);
        if (e == std::string_view::npos)
            return false;
        p = e + close.size();
    }
    if (root >= s.size() || s[root] != '<')
        return false;
    std::size_t e = root + 1;
    while (e < s.size() && std::strchr(" \t\r\n>/", s[e]) == nullptr)
        ++e;
    if (e == s.size())
        return false;
    const std::string_view name = s.substr(root + 1, e - root - 1);
    if (name != "ZPV" && !(name.size() > 4 && name.substr(name.size() - 4) == ":ZPV"))
        return false;
    // The echo file's root line, "\n" written as CR LF.
    const std::string_view echo_root = reader::kEchoRootLine.substr(0, reader::kEchoRootLine.size() - 1);
    const bool echo_start = root == 0 || (declarations == 1 && !comments && s[0] == '<' &&
                                          s.substr(root - 2, 2) == "\r\n" && s.find("\r\n") == root - 2);
    return !(echo_start && s.substr(root, echo_root.size()) == echo_root &&
             s.substr(root + echo_root.size(), 2) == "\r\n");
}

// `valix *.xml` names documents as the report and the echo file: such a name is refused, and an earlier
// report or echo file is overwritten as ever. Only a plain file is looked at (a pipe or device is never
// read here).
void refuse_overwriting_a_document(const char* name) {
    if (!util::file_id(name).regular)
        return;
    std::FILE* f = std::fopen(name, "rb");
    if (f == nullptr)
        return;
    static char head[1 << 16];
    const std::size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (is_zpv_document({head, n}))
        refuse_output(name, "je dokumentem ZPV");
}

// Everything that can be known about the outputs before any file is opened.
void refuse_unsafe_outputs() {
    // Both written into one file would be interleaved; a device such as /dev/null may take both.
    const util::FileId report = util::file_id(s_chyby.c_str());
    if (has_echo() && (!report.exists || report.regular) &&
        util::same_file(s_chyby.c_str(), s_vystup.c_str()))
        refuse_output(s_vystup.c_str(), "je zaroven chybovym souborem");
    if (s_vstup.first() == '@')
        refuse_input_that_is_an_output(s_vstup.c_str() + 1);
    else
        refuse_input_that_is_an_output(s_vstup.c_str());
    refuse_overwriting_a_document(s_chyby.c_str());
    if (has_echo())
        refuse_overwriting_a_document(s_vystup.c_str());
}

// Opens an input named on the command line or in the list. Its name is checked against the outputs first
// (a list entry naming the echo file, which exists only under its temporary name yet), then the open file
// against the files being written (the same file under a name no comparison of names can see through).
bool open_next_input(const char* name, bool wipe_progress) {
    refuse_input_that_is_an_output(name, wipe_progress);
    if (!reader::open_input(name))
        return false;
    const util::FileId in = reader::input_identity();
    if (in.same(report::errsoub.identity()))
        refuse_output(s_chyby.c_str(), "je vstupnim souborem", wipe_progress);
    if (in.same(reader::outsoub.identity()))
        refuse_output(s_vystup.c_str(), "je vstupnim souborem", wipe_progress);
    return true;
}

void open_files() {
    refuse_unsafe_outputs();
    if (!report::errsoub.open(s_chyby.c_str()))
        cannot_open(s_chyby);
    reader::sw_vystup = 'N';
    if (has_echo()) {
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
        // An empty list names no input: no file of the '@' argument's name is opened in its place.
        if (!next_list_word())
            cannot_open(s_vstup);
    }
    if (!open_next_input(s_vstup.c_str(), false))
        cannot_open(s_vstup);
    report::file_started();
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
    reader::input_unreadable = read_failed;
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
    if (!open_next_input(s_vstup.c_str(), true)) {
        console_printf("%77s\r", "");
        cannot_open(s_vstup);
    }
    report::file_started();
    return 0;
}

void read_failed() {
    read_error(s_vstup.view());
}

int run_in_memory(std::string_view document, char format, std::string* report, std::string* echo,
                  const report::Observer* observer) {
    const bool was_quiet = util::quiet;
    reset_state();
    if (observer != nullptr)
        report::set_observer(*observer);
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
        report::file_started();
        make_datetime();
        report::pis_zahlavi(s_datetime, s_vstup);
        status = main_loop();
    } catch (const Fatal& f) {
        status = f.status;
    }
    close_everything();
    report::set_observer({});
    util::quiet = was_quiet;
    return status;
}

int run(int argc, const char* const* argv, const report::Observer* observer) {
    // Before any file is opened: a descriptor 0 to 2 left closed would be taken by the report.
    util::open_standard_streams();
    // A closed console (or a pipe closed by its reader) must not end the run before the report is complete.
    util::ignore_broken_pipe();
    std::clearerr(stdout);
    reset_state();
    if (observer != nullptr)
        report::set_observer(*observer);
    // A signal that ends the run removes the temporary files; the previous report and echo file stay.
    util::catch_end_signals(true);
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
        if (f.outputs_refused) {
            report::errsoub.abandon();
            reader::outsoub.abandon();
        }
    }
    close_everything();
    report::set_observer({});
    util::catch_end_signals(false);
    // The totals on the console are part of the result: a console that could not take them (a full disk
    // behind a redirection, a closed pipe) fails the run as a report would.
    if ((std::fflush(stdout) != 0 || std::ferror(stdout) != 0) && !util::quiet) {
        std::fputs(" Chyba zapisu na konzoli\n", stderr);
        if (status == 0)
            status = 13;
    }
    return status;
}

} // namespace validator
