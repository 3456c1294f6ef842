// The command line, the files a run opens, and what it says on the console.
#include "report/writer.h"
#include "tests/support.h"
#include "util/console.h"
#include "util/cp1250.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#endif

namespace {

namespace fs = std::filesystem;
using testing_support::cp;
using testing_support::Scratch;
using testing_support::slurp;
using testing_support::spit;

// A minimal document: seven header fields missing and no employer, so eight findings of weight E.
constexpr std::string_view kDoc = "<ZPV>\r\n<rok>2009</rok>\r\n</ZPV>\r\n";

struct Console {
    int status;
    std::string out;
};

Console run_loud(Scratch& s, std::initializer_list<std::string> args) {
    ::testing::internal::CaptureStdout();
    util::quiet = false;
    std::vector<const char*> argv{"valix"};
    for (const auto& a : args)
        argv.push_back(a.c_str());
    (void)s;
    const int status = validator::run(static_cast<int>(argv.size()), argv.data());
    util::quiet = true;
    return {status, ::testing::internal::GetCapturedStdout()};
}

TEST(CommandLine, HelpEndsWithStatusOneAndTouchesNoFile) {
    Scratch s;
    const Console c = run_loud(s, {"in.xml", "out.csv", "-H"});
    EXPECT_EQ(c.status, 1);
    EXPECT_NE(c.out.find("\nProgram  VALIX_v0.96  kontola dat pro ZPV\n"), std::string::npos);
    EXPECT_NE(c.out.find("VALIX vstup chyby vystup -prepinac"), std::string::npos);
    EXPECT_NE(c.out.find("             -h tato napoveda\n"), std::string::npos);
    EXPECT_TRUE(
        c.out.substr(0, c.out.find("Volani")).ends_with("2009\n\n")); // the banner, then one empty line
    EXPECT_EQ(c.out.substr(c.out.find("Volani")),
              "Volani programu:\n\nVALIX vstup chyby vystup -prepinac\n\n"
              "\nvstup    - uplna cesta ke vstupnimu souboru, max. 60 znaku\n"
              "             neni-li uveden hleda se zpv.xml \n"
              "             je-li prni znak @, jedna se o seznam souboru\n"
              "\nchyby    - uplna cesta k chybovemu souboru, max. 60 znaku\n"
              "             neni-li uveden zapisuje se do  zpve.htm\n"
              "             pripona urcuje typ .htm - html\n"
              "             pripona urcuje typ .txt - textovy\n"
              "                                .csv - (Excel)\n"
              "                                .xml          \n"
              "\nvystup   - uplna cesta k vystupmu souboru, max. 60 znaku\n"
              "             neni-li uveden, vystupni  se nevytvari\n"
              "\nprepinac - pripustne hodnoty\n"
              "             -w potlaceni vystupu chyb vahy W\n"
              "             -h tato napoveda\n");
    EXPECT_FALSE(fs::exists(s / "out.csv"));
}

TEST(CommandLine, BadSwitchesEndBeforeAnyFileIsOpened) {
    Scratch s;
    for (const std::string sw : {"-x", "-", "-wh", "-w1", "-Wh"}) {
        const Console c = run_loud(s, {"in.xml", "out.csv", sw});
        EXPECT_EQ(c.status, 13) << sw;
        std::string shown = sw;
        if (shown.size() > 1 && shown[1] == 'W')
            shown[1] = 'w';
        EXPECT_NE(c.out.find(" Chybny parametr " + shown + "\n Program ukoncen\n"), std::string::npos) << sw;
    }
    EXPECT_FALSE(fs::exists(s / "out.csv"));
}

TEST(CommandLine, ArgumentsOfSixtyCharactersAreTheLimit) {
    Scratch s;
    const std::string sixty(56, 'a');
    spit(s / (sixty + ".xml"), kDoc);
    EXPECT_EQ(s.run({sixty + ".xml", "out.csv"}), 0);
    const Console c = run_loud(s, {sixty + "b.xml", "out2.csv"});
    EXPECT_EQ(c.status, 13);
    EXPECT_NE(c.out.find(cp(" Délka parametru vetsi nez 60  " + sixty + "b.xml\n Program ukoncen\n")),
              std::string::npos);
    EXPECT_FALSE(fs::exists(s / "out2.csv"));
}

TEST(CommandLine, ReportFormatFollowsTheFirstDotOfTheName) {
    Scratch s;
    spit(s / "in.xml", kDoc);
    fs::create_directory(s / "old.dir");
    const std::pair<std::string, std::string> cases[] = {
        {"out.TXT", " Datum a "}, {"out.Csv", "Radek;Chyba;"},   {"out.XML", "<?xml version = "},
        {"out.htm", "<html>"},    {"out.HTML", "<html>"},        {"out", "<html>"},
        {"out.doc", "<html>"},    {"old.dir/out.csv", "<html>"}, {"csv", "<html>"},
        {".csv", "Radek;Chyba;"}};
    for (const auto& [name, start] : cases) {
        ASSERT_EQ(s.run({"in.xml", name}), 0) << name;
        EXPECT_EQ(slurp(s / name).substr(0, start.size()), start) << name;
    }
}

TEST(CommandLine, DefaultsAndIgnoredArguments) {
    Scratch s;
    spit(s / "zpv.xml", kDoc);
    EXPECT_EQ(s.run({}), 0);
    EXPECT_NE(slurp(s / "zpve.htm").find("ES308"), std::string::npos);
    // "..." means no echo file; a fourth positional argument is ignored; -w may come twice.
    EXPECT_EQ(s.run({"zpv.xml", "out.csv", "...", "fourth", "-w", "-W"}), 0);
    EXPECT_FALSE(fs::is_regular_file(s / "...")); // Windows reads the name "..." as the folder itself
    EXPECT_FALSE(fs::exists(s / "fourth"));
}

TEST(Files, UnopenableFilesEndTheRunWithTheMessageInTheReport) {
    Scratch s;
    fs::create_directory(s / "dir");
    spit(s / "in.xml", kDoc);
    const std::string msg = " Nelze otevrit soubor  ";
    Console c = run_loud(s, {"missing.xml", "out.csv"});
    EXPECT_EQ(c.status, 13);
    EXPECT_NE(c.out.find(msg + "missing.xml\n Program ukoncen\n"), std::string::npos);
    EXPECT_EQ(slurp(s / "out.csv"), msg + "missing.xml\r\n Program ukoncen\r\n");

    EXPECT_EQ(s.run({"dir", "out.csv"}), 13);
    EXPECT_EQ(slurp(s / "out.csv"), msg + "dir\r\n Program ukoncen\r\n");
    EXPECT_EQ(s.run({"in.xml", "dir"}), 13);
    EXPECT_EQ(s.run({"in.xml", "out.csv", "dir"}), 13);
    EXPECT_EQ(slurp(s / "out.csv"), msg + "dir\r\n Program ukoncen\r\n");
    EXPECT_EQ(s.run({"@nolist.txt", "out.csv"}), 13);
    EXPECT_EQ(slurp(s / "out.csv"), msg + "nolist.txt\r\n Program ukoncen\r\n");
}

TEST(Files, ListFiles) {
    Scratch s;
    spit(s / "in.xml", kDoc);
    // An empty list leaves the input name at the '@' argument, which names no file.
    spit(s / "empty.txt", "  \n");
    EXPECT_EQ(s.run({"@empty.txt", "out.csv"}), 13);
    EXPECT_EQ(slurp(s / "out.csv"), " Nelze otevrit soubor  @empty.txt\r\n Program ukoncen\r\n");
    // A list naming a directory, or an entry too long to be a file name.
    fs::create_directory(s / "dir");
    spit(s / "dirs.txt", "in.xml dir\n");
    EXPECT_EQ(s.run({"@dirs.txt", "out.csv"}), 13);
    spit(s / "long.txt", "in.xml " + std::string(61, 'x') + "\n");
    EXPECT_EQ(s.run({"@long.txt", "out.csv"}), 13);
    EXPECT_NE(slurp(s / "out.csv").find(cp("Délka parametru vetsi nez 60")), std::string::npos);
    // far longer: the message shows the entry's first 61 characters
#ifdef __linux__
    // A run that ends at a list entry leaves no file open behind it.
    const auto open_files = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
    const auto before = open_files();
    EXPECT_EQ(s.run({"@dirs.txt", "out.csv"}), 13);
    EXPECT_EQ(open_files(), before);
#endif
    spit(s / "longer.txt", "in.xml " + std::string(100, 'y') + "\n");
    EXPECT_EQ(s.run({"@longer.txt", "out.csv"}), 13);
    EXPECT_NE(slurp(s / "out.csv").find(cp("Délka parametru vetsi nez 60  " + std::string(61, 'y') + "\r\n")),
              std::string::npos);
}

// The check that the report is no input reads the list only up to its "...": an entry after it is no
// input, even when it names the report. A list that is a folder cannot be opened.
TEST(Files, ListIsCheckedUpToItsEnd) {
    Scratch s;
    spit(s / "in.xml", kDoc);
    spit(s / "out.csv", "old");
    spit(s / "list.txt", "in.xml ... out.csv\n");
    EXPECT_EQ(s.run({"@list.txt", "out.csv"}), 0);
    EXPECT_NE(slurp(s / "out.csv").find("Celkem chyb vahy E"), std::string::npos);
    fs::create_directory(s / "folder");
    EXPECT_EQ(s.run({"@folder", "out.csv"}), 13);
    EXPECT_EQ(slurp(s / "out.csv"), " Nelze otevrit soubor  folder\r\n Program ukoncen\r\n");
}

TEST(Safety, ReportOrEchoNamingAnInputIsRefusedBeforeAnythingIsWritten) {
    Scratch s;
    spit(s / "in.xml", kDoc);
    spit(s / "b.xml", kDoc);
    spit(s / "list.txt", "in.xml\nb.xml\n");
    EXPECT_EQ(s.run({"in.xml", "./in.xml"}), 13);
    EXPECT_EQ(s.run({"in.xml", "out.csv", "in.xml"}), 13);
    EXPECT_EQ(s.run({"@list.txt", "list.txt"}), 13);
    EXPECT_EQ(s.run({"@list.txt", "out.csv", "b.xml"}), 13);
    fs::create_hard_link(s / "b.xml", s / "hard.csv");
    EXPECT_EQ(s.run({"@list.txt", "hard.csv"}), 13);
    EXPECT_EQ(slurp(s / "in.xml"), kDoc);
    EXPECT_EQ(slurp(s / "b.xml"), kDoc);
    EXPECT_EQ(slurp(s / "list.txt"), "in.xml\nb.xml\n");
    const Console c = run_loud(s, {"in.xml", "in.xml"});
    EXPECT_NE(c.out.find(" Soubor  in.xml  je vstupnim souborem, nelze do nej zapisovat\n Program ukoncen\n"),
              std::string::npos);
    // A later list entry naming the echo file (not made yet) is refused when the list reaches it; the
    // progress line is wiped first.
    spit(s / "list2.txt", "in.xml\necho.xml\n");
    const Console later = run_loud(s, {"@list2.txt", "out.csv", "echo.xml"});
    EXPECT_EQ(later.status, 13);
    EXPECT_NE(later.out.find(std::string(77, ' ') + "\r Soubor  echo.xml  je vstupnim souborem"),
              std::string::npos)
        << later.out;
    // Names that differ only in case are two files, except on Windows, where they are one.
#ifdef _WIN32
    EXPECT_EQ(s.run({"in.xml", "R.csv", "r.csv"}), 13);
#else
    EXPECT_EQ(s.run({"in.xml", "R.csv", "r.csv"}), 0);
    EXPECT_NE(slurp(s / "r.csv"), slurp(s / "R.csv"));
#endif
}

TEST(Safety, AFailedWriteIsNotASuccess) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    Scratch s;
    spit(s / "in.xml", kDoc);
    const Console c = run_loud(s, {"in.xml", "/dev/full"});
    EXPECT_EQ(c.status, 13);
    EXPECT_NE(c.out.find("Celkem chyb vahy E:       8\n"), std::string::npos);
    EXPECT_NE(c.out.find(" Chyba zapisu do souboru  /dev/full\n"), std::string::npos);
    EXPECT_EQ(s.run({"in.xml", "out.csv", "/dev/full"}), 13);
    EXPECT_EQ(s.run({"in.xml", "out.csv"}), 0); // the failure of one run does not stick to the next
}

TEST(Run, RepeatsInOneProcessWithTheSameResult) {
    Scratch s;
    spit(s / "in.xml", kDoc);
    ASSERT_EQ(s.run({"in.xml", "a.txt"}), 0);
    ASSERT_EQ(s.run({"in.xml", "b.txt"}), 0);
    EXPECT_EQ(slurp(s / "a.txt"), slurp(s / "b.txt"));
    EXPECT_NE(slurp(s / "a.txt").find("Celkem chyb vahy E:       8"), std::string::npos);
    // No submitter number is left over from an earlier run: without one, the provider's registered
    // submitter differs from 0 every time.
    const std::string employer =
        "<zamestnavatel>\r\n<AA0017>12345679</AA0017>\r\n</zamestnavatel>\r\n</ZPV>\r\n";
    spit(s / "with.xml", "<ZPV>\r\n<ICOpredkladatele>12345679</ICOpredkladatele>\r\n" + employer);
    spit(s / "without.xml", "<ZPV>\r\n<rok>2009</rok>\r\n" + employer);
    ASSERT_EQ(s.run({"without.xml", "c.csv"}), 0);
    ASSERT_EQ(s.run({"with.xml", "d.csv"}), 0);
    ASSERT_EQ(s.run({"without.xml", "e.csv"}), 0);
    EXPECT_NE(slurp(s / "c.csv").find(";WR204;12345679;   ;ICOpredkladatele;00000000;12345679;"),
              std::string::npos);
    EXPECT_EQ(slurp(s / "e.csv"), slurp(s / "c.csv"));
#ifndef _WIN32
    // The handlers of the signals that end a run are those from before it again: the default one here.
    struct sigaction after {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_TRUE(after.sa_handler == SIG_DFL || after.sa_handler == SIG_IGN);
#endif
}

TEST(Run, ProgressLineAfterEachEmployee) {
    Scratch s;
    spit(s / "in.xml", "<ZPV>\n<zamestnavatel><AA0017>12345679</AA0017>\n<zamestnanec><AA0126>X1</AA0126>"
                       "</zamestnanec></zamestnavatel></ZPV>");
    const Console c = run_loud(s, {"in.xml", "out.csv"});
    EXPECT_NE(c.out.find(" Radek       3 pro zamestnance         X1 zamestnavatel   12345679\r"),
              std::string::npos)
        << c.out;
}

TEST(Run, ConsoleTotals) {
    Scratch s;
    spit(s / "in.xml", kDoc);
    const Console c = run_loud(s, {"in.xml", "out.csv"});
    EXPECT_EQ(c.status, 0);
    EXPECT_NE(c.out.find(std::string(77, ' ') +
                         "\rCelkem chyb vahy E:       8\n\nCelkem chyb vahy W:       0\n"
                         "\nProgram ukoncen normalne\n"),
              std::string::npos);
    // An input that ends before or inside its root start tag: the totals are printed once.
    for (const std::string doc : {"", "<?xml version=\"1.0\"?>\r\n", "<ZPV verze"}) {
        spit(s / "short.xml", doc);
        const Console e = run_loud(s, {"short.xml", "out.csv"});
        const std::size_t first = e.out.find("Celkem chyb vahy E:");
        EXPECT_NE(first, std::string::npos) << doc;
        EXPECT_EQ(e.out.find("Celkem chyb vahy E:", first + 1), std::string::npos) << doc;
    }
}

// What a front end's observer saw of a run: each finding as the CSV report's row, and the file starts.
struct Seen {
    std::vector<std::string> rows;
    std::vector<std::string> file_starts;

    report::Observer observer() {
        report::Observer o;
        o.context = this;
        o.finding = [](void* context, const report::Finding& f) {
            std::string row;
            for (const std::string_view cell :
                 {f.line, f.code, f.employer, f.employee, f.element, f.value, f.expected, f.message}) {
                if (!row.empty())
                    row += ';';
                // The CSV report quotes a cell with ';' or '"'.
                if (cell.find_first_of(";\"") == std::string_view::npos) {
                    row += cell;
                    continue;
                }
                row += '"';
                for (const char c : cell)
                    row += c == '"' ? std::string("\"\"") : std::string(1, c);
                row += '"';
            }
            static_cast<Seen*>(context)->rows.push_back(row);
        };
        o.file_start = [](void* context, std::string_view line) {
            static_cast<Seen*>(context)->file_starts.emplace_back(line);
        };
        return o;
    }
};

// The finding rows of a CSV report: the lines between the header and the empty line before the totals.
std::vector<std::string> csv_finding_rows(const std::string& report) {
    std::vector<std::string> rows;
    std::size_t at = report.find("\r\n") + 2;
    for (std::size_t end; (end = report.find("\r\n", at)) != std::string::npos && end > at; at = end + 2)
        rows.push_back(report.substr(at, end - at));
    return rows;
}

// A cell is quoted (CSV) or escaped (HTML, XML) for the bytes that would break the report, wherever they
// stand in it: cells are tested sixteen bytes at a time, and a byte in the last few must count as well as
// one in the first. Each value is written as a finding's value cell.
TEST(ReportCells, QuotedOrEscapedForABreakingByteAtAnyPlace) {
    for (std::size_t length : {1u, 15u, 16u, 17u, 31u, 32u, 33u, 47u}) {
        for (std::size_t at = 0; at < length; ++at) {
            for (const char byte : {';', '"', '\r', '\n', '<', '>', 'x'}) {
                std::string value(length, 'a');
                value[at] = byte;
                std::string quoted = value;
                if (value.find_first_of(";\"\r\n") != std::string::npos) {
                    quoted.clear();
                    for (const char c : value)
                        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
                    quoted = "\"" + quoted + "\"";
                }
                std::string escaped;
                for (const char c : value)
                    escaped += c == '<'   ? std::string("&lt;")
                               : c == '>' ? std::string("&gt;")
                                          : std::string(1, c);
                {
                    testing_support::Capture csv('C');
                    report::zpracuj_chybu("7", "ES126", "AA0126", value, "x");
                    ASSERT_NE(csv.text().find(";AA0126;" + quoted + ";x;"), std::string::npos)
                        << length << " " << at << " " << int(byte);
                }
                for (const char format : {'X', 'H'}) {
                    testing_support::Capture markup(format);
                    report::zpracuj_chybu("7", "ES126", "AA0126", value, "x");
                    ASSERT_NE(markup.text().find(escaped), std::string::npos)
                        << format << " " << length << " " << at;
                }
            }
        }
    }
}

TEST(Run, ObserverSeesExactlyTheRowsOfTheReport) {
    Scratch s;
    const fs::path lists = testing_support::source_dir() / "tests/data/lists/two-files";
    for (const char* f : {"case.xml", "b.xml", "list.txt"})
        fs::copy_file(lists / f, s / f);
    spit(s / "markup.xml", slurp(testing_support::source_dir() / "tests/data/safety/markup/case.xml"));
    spit(s / "none.xml", kDoc);

    // Two files of a list, with -w: the W finding is counted, yet neither listed nor seen. The second file
    // begins where the first one's 85 lines end.
    Seen list;
    report::Observer o = list.observer();
    ASSERT_EQ(s.run({"@list.txt", "list.csv", "-w"}, &o), 0);
    EXPECT_EQ(list.rows, csv_finding_rows(slurp(s / "list.csv")));
    EXPECT_EQ(list.rows.size(), 1u);
    EXPECT_NE(slurp(s / "list.csv").find("Celkem chyb vahy W:;       1"), std::string::npos);
    EXPECT_EQ(list.file_starts, (std::vector<std::string>{"1", "86"}));

    // Without -w the W finding is seen too, whatever the report's format.
    Seen html;
    o = html.observer();
    ASSERT_EQ(s.run({"@list.txt", "list.htm"}, &o), 0);
    EXPECT_EQ(html.rows.size(), 2u);
    EXPECT_EQ(html.rows[1], list.rows[0]);

    // Texts with ';', '"', '<' and '>' are seen as they were read; the findings of the end of the run
    // (here ES308 of a document without employers) are seen too.
    for (const char* doc : {"markup.xml", "none.xml"}) {
        Seen one;
        o = one.observer();
        ASSERT_EQ(s.run({doc, "one.csv"}, &o), 0);
        EXPECT_EQ(one.rows, csv_finding_rows(slurp(s / "one.csv"))) << doc;
        EXPECT_EQ(one.file_starts, std::vector<std::string>{"1"});
    }

    // An observer is for its run only: the next run without one shows it nothing.
    Seen last;
    o = last.observer();
    ASSERT_EQ(s.run({"none.xml", "a.csv"}, &o), 0);
    const std::size_t seen = last.rows.size();
    ASSERT_EQ(s.run({"none.xml", "b.csv"}), 0);
    EXPECT_EQ(last.rows.size(), seen);
    EXPECT_EQ(slurp(s / "a.csv"), slurp(s / "b.csv"));
}

} // namespace
