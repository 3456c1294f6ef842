// Output files that never destroy data, and runs whose reads or writes fail. The runs that need a process
// of their own (closed standard streams, signals, pipes) are in tests/safety.sh.
#include "reader/handlers.h"
#include "tests/support.h"
#include "util/console.h"
#include "util/outfile.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;
using testing_support::Scratch;
using testing_support::slurp;
using testing_support::source_dir;
using testing_support::spit;

struct Console {
    int status;
    std::string out;
};

// A run with its console captured.
Console run_loud(Scratch& s, std::initializer_list<std::string> args) {
    testing_support::set_env("SOURCE_DATE_EPOCH", "1246370709");
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

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The names in the scratch folder: no temporary file may be left behind.
std::set<std::string> names(const Scratch& s) {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(s.dir()))
        out.insert(e.path().filename().string());
    return out;
}

std::string example(const char* name) {
    return slurp(source_dir() / "examples" / name);
}

// Arms the seam of the file layer for one test and disarms it afterwards, whatever happens.
struct Faults {
    explicit Faults(util::IoFaults plan) {
        plan.armed = true;
        util::io_faults = plan;
    }
    ~Faults() { util::io_faults = {}; }
};

TEST(OutputFiles, ListEntryNamingAnOutputIsRefusedWhenTheListReachesIt) {
    Scratch s;
    spit(s / "clean.xml", example("zpv.xml"));
    // The echo file does not exist yet: read as an input it would grow while it is read, without end.
    spit(s / "list.txt", "clean.xml\necho.xml\n");
    const Console c = run_loud(s, {"@list.txt", "rep.csv", "echo.xml"});
    EXPECT_EQ(c.status, 13);
    EXPECT_TRUE(
        has(c.out, " Soubor  echo.xml  je vstupnim souborem, nelze do nej zapisovat\n Program ukoncen\n"))
        << c.out;
    EXPECT_EQ(names(s), (std::set<std::string>{"clean.xml", "list.txt"}));
    // An earlier report, named in the list by another spelling, stays as it was.
    spit(s / "rep.csv", "earlier report");
    spit(s / "list.txt", "clean.xml\n./rep.csv\n");
    EXPECT_EQ(s.run({"@list.txt", "rep.csv"}), 13);
    EXPECT_EQ(slurp(s / "rep.csv"), "earlier report");
    EXPECT_EQ(names(s), (std::set<std::string>{"clean.xml", "list.txt", "rep.csv"}));
}

TEST(OutputFiles, ADocumentIsNeverTakenForAReportOrAnEchoFile) {
    Scratch s;
    const std::string doc = example("zpv.xml");
    // As a shell expands *.xml in a folder of three documents.
    for (const char* name : {"a.xml", "b.xml", "c.xml"})
        spit(s / name, doc);
    Console c = run_loud(s, {"a.xml", "b.xml", "c.xml"});
    EXPECT_EQ(c.status, 13);
    EXPECT_TRUE(has(c.out, " Soubor  b.xml  je dokumentem ZPV, nelze do nej zapisovat\n Program ukoncen\n"));
    c = run_loud(s, {"a.xml", "out.csv", "c.xml"});
    EXPECT_EQ(c.status, 13);
    EXPECT_TRUE(has(c.out, " Soubor  c.xml  je dokumentem ZPV, nelze do nej zapisovat\n"));
    for (const char* name : {"a.xml", "b.xml", "c.xml"})
        EXPECT_EQ(slurp(s / name), doc) << name;
    EXPECT_FALSE(fs::exists(s / "out.csv"));
    // Without a prologue, after comments, with a prefix: still a document.
    // An echo file's root line after a comment is a document's root too.
    const std::string echo_root(reader::kEchoRootLine.substr(0, reader::kEchoRootLine.size() - 1));
    for (const std::string& start : std::initializer_list<std::string>{
             "<ZPV>\r\n<rok>2009</rok>", "\n<!-- x -->\n<?xml version=\"1.0\"?><zpv:ZPV>",
             "<?xml version=\"1.0\"?>\n<!DOCTYPE ZPV>\n<ZPV verze=\"1.6\">", "<!-- x -->\r\n" + echo_root,
             "<!-- x --><?xml version=\"1.0\"?>\r\n" + echo_root}) {
        spit(s / "d.xml", start + "\r\n</ZPV>\r\n");
        EXPECT_EQ(s.run({"a.xml", "d.xml"}), 13) << start;
    }
    // Files that break off before a root start tag is whole are no documents, and are overwritten: a
    // comment never closed, a root name that runs to the end, another root, plain text.
    for (const std::string start :
         {"<?xml version=\"1.0\"?>\n<!-- never closed", "<ZPV", "<doc>\n<ZPV>", "ZPV"}) {
        spit(s / "d.xml", start);
        EXPECT_EQ(s.run({"a.xml", "d.xml"}), 0) << start;
        EXPECT_NE(slurp(s / "d.xml"), start) << start;
    }
}

TEST(OutputFiles, EarlierReportsAndEchoFilesAreOverwritten) {
    Scratch s;
    spit(s / "in.xml", example("zpv-chyby.xml"));
    spit(s / "bare.xml", "<ZPV>\r\n<rok>2009</rok>\r\n</ZPV>\r\n");
    for (const char* report : {"r.htm", "r.csv", "r.txt", "r.xml"}) {
        // The echo of a document with a prologue and of one without.
        for (const char* input : {"in.xml", "bare.xml"}) {
            ASSERT_EQ(s.run({input, report, "echo.xml"}), 0) << report;
            const std::string first = slurp(s / report);
            EXPECT_EQ(s.run({input, report, "echo.xml"}), 0) << report << " " << input;
            EXPECT_EQ(slurp(s / report), first);
        }
    }
    // So is a report that holds only the message of a fatal end.
    EXPECT_EQ(s.run({"missing.xml", "r.xml"}), 13);
    EXPECT_EQ(s.run({"in.xml", "r.xml"}), 0);
    EXPECT_EQ(names(s),
              (std::set<std::string>{"bare.xml", "echo.xml", "in.xml", "r.csv", "r.htm", "r.txt", "r.xml"}));
#ifndef _WIN32
    // A new report has the mode of any new file (0666 without the umask's bits); a report named by a
    // symbolic link replaces the file the link points to, and the link stays.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(fs::status(s / "r.csv").permissions(), static_cast<fs::perms>(0666 & ~mask));
    spit(s / "target.csv", "old");
    fs::create_symlink("target.csv", s / "link.csv");
    EXPECT_EQ(s.run({"in.xml", "link.csv"}), 0);
    EXPECT_TRUE(fs::is_symlink(s / "link.csv"));
    EXPECT_EQ(slurp(s / "target.csv").substr(0, 12), "Radek;Chyba;");
#endif
}

TEST(OutputFiles, ReportAndEchoNamingOneFileAreRefused) {
    Scratch s;
    spit(s / "in.xml", example("zpv.xml"));
    fs::create_directory(s / "sub");
    const std::string why = "  je zaroven chybovym souborem, nelze do nej zapisovat\n Program ukoncen\n";
    Console c = run_loud(s, {"in.xml", "r.csv", "r.csv"});
    EXPECT_EQ(c.status, 13);
    EXPECT_TRUE(has(c.out, " Soubor  r.csv" + why)) << c.out;
    // Before either exists, by another spelling; then an existing report and a hard link to it.
    EXPECT_EQ(s.run({"in.xml", "r.csv", "./r.csv"}), 13);
    EXPECT_EQ(s.run({"in.xml", "sub/../r.csv", "r.csv"}), 13);
    EXPECT_FALSE(fs::exists(s / "r.csv"));
    ASSERT_EQ(s.run({"in.xml", "r.csv"}), 0);
    const std::string report = slurp(s / "r.csv");
    fs::create_hard_link(s / "r.csv", s / "link.xml");
    c = run_loud(s, {"in.xml", "r.csv", "link.xml"});
    EXPECT_EQ(c.status, 13);
    EXPECT_TRUE(has(c.out, " Soubor  link.xml" + why));
    EXPECT_EQ(slurp(s / "r.csv"), report);
#ifdef _WIN32
    EXPECT_EQ(s.run({"in.xml", "new.csv", "NEW.CSV"}), 13); // one name to Windows
#endif
    // Two names of two files are two files; a device takes both.
    EXPECT_EQ(s.run({"in.xml", "sub/r.csv", "r.xml"}), 0);
#ifndef _WIN32
    EXPECT_EQ(s.run({"in.xml", "/dev/null", "/dev/null"}), 0);
#endif
}

TEST(OutputFiles, ThePreviousReportStaysUntilTheNewOneIsComplete) {
    Scratch s;
    spit(s / "in.xml", example("zpv-chyby.xml"));
    ASSERT_EQ(s.run({"in.xml", "r.htm", "e.xml"}), 0);
    const std::string report = slurp(s / "r.htm");
    const std::string echo = slurp(s / "e.xml");
    const auto files = names(s);
    EXPECT_EQ(files, (std::set<std::string>{"e.xml", "in.xml", "r.htm"}));
    // A write that fails (a full disk) leaves the previous file under its name, and nothing else.
    spit(s / "r.htm", "previous report");
    {
        Faults f({.fail_write = 1});
        EXPECT_EQ(s.run({"in.xml", "r.htm"}), 13);
    }
    EXPECT_EQ(slurp(s / "r.htm"), "previous report");
    EXPECT_EQ(slurp(s / "e.xml"), echo);
    EXPECT_EQ(names(s), files);
    // A fatal end puts the report with its message in place; the report of a complete run replaces it.
    spit(s / "list.txt", "in.xml missing.xml\n");
    EXPECT_EQ(s.run({"@list.txt", "r.htm", "e.xml"}), 13);
    const std::string cut = slurp(s / "r.htm");
    EXPECT_TRUE(has(cut, "ESEMA")); // a finding of in.xml
    EXPECT_TRUE(ends_with(cut, "</td>\r\n Nelze otevrit soubor  missing.xml\r\n Program ukoncen\r\n"));
    EXPECT_EQ(s.run({"in.xml", "r.htm", "e.xml"}), 0);
    EXPECT_EQ(slurp(s / "r.htm"), report);
    fs::remove(s / "list.txt");
    EXPECT_EQ(names(s), files);
}

TEST(OutputFiles, AnEmptyListOpensNoFileOfTheListsName) {
    Scratch s;
    spit(s / "empty.txt", " \r\n");
    spit(s / "@empty.txt", example("zpv.xml")); // what the '@' argument would name as a file
    const Console c = run_loud(s, {"@empty.txt", "out.csv"});
    EXPECT_EQ(c.status, 13);
    EXPECT_TRUE(has(c.out, " Nelze otevrit soubor  @empty.txt\n Program ukoncen\n"));
    EXPECT_EQ(slurp(s / "out.csv"), " Nelze otevrit soubor  @empty.txt\r\n Program ukoncen\r\n");
}

// Every write of a run over the example of typical mistakes, failed in turn.
TEST(InjectedFaults, EveryFailedWriteEndsWithStatus13AndKeepsThePreviousFile) {
    Scratch s;
    const std::string doc = example("zpv-chyby.xml");
    spit(s / "in.xml", doc);
    ASSERT_EQ(s.run({"in.xml", "r.csv", "e.xml"}), 0);
    const std::string report = slurp(s / "r.csv");
    const std::string echo = slurp(s / "e.xml");
    std::int64_t writes = 0;
    {
        Faults f({.chunk = 512});
        ASSERT_EQ(s.run({"in.xml", "r.csv", "e.xml"}), 0);
        writes = util::io_faults.writes;
    }
    // Writes of 512 bytes at most: the report and the echo file take dozens of them.
    ASSERT_GT(writes, 50);
    EXPECT_EQ(slurp(s / "r.csv"), report);
    EXPECT_EQ(slurp(s / "e.xml"), echo);
    for (std::int64_t n = 1; n <= writes; ++n) {
        spit(s / "r.csv", "previous report");
        spit(s / "e.xml", "previous echo");
        Console c;
        {
            Faults f({.fail_write = n, .chunk = 512});
            c = run_loud(s, {"in.xml", "r.csv", "e.xml"});
        }
        ASSERT_EQ(c.status, 13) << n;
        EXPECT_TRUE(has(c.out, "Celkem chyb vahy E:")) << n; // the run still finishes
        const bool report_failed = has(c.out, "\n Chyba zapisu do souboru  r.csv\n");
        const bool echo_failed = has(c.out, "\n Chyba zapisu do souboru  e.xml\n");
        EXPECT_NE(report_failed, echo_failed) << n << c.out;
        EXPECT_EQ(slurp(s / "r.csv"), report_failed ? "previous report" : report) << n;
        EXPECT_EQ(slurp(s / "e.xml"), echo_failed ? "previous echo" : echo) << n;
        EXPECT_EQ(names(s), (std::set<std::string>{"e.xml", "in.xml", "r.csv"})) << n;
    }
    EXPECT_EQ(slurp(s / "in.xml"), doc);
}

// Every read of the same run, failed in turn: a read error is never taken for the end of the input.
TEST(InjectedFaults, EveryFailedReadEndsWithStatus13AndSaysSo) {
    Scratch s;
    const std::string doc = example("zpv-chyby.xml");
    spit(s / "in.xml", doc);
    ASSERT_EQ(s.run({"in.xml", "r.csv", "e.xml"}), 0);
    const std::string report = slurp(s / "r.csv");
    std::int64_t reads = 0;
    {
        // Reads of 512 bytes cut the document at many places; the report is the same.
        Faults f({.chunk = 512});
        ASSERT_EQ(s.run({"in.xml", "r.csv", "e.xml"}), 0);
        reads = util::io_faults.reads;
    }
    ASSERT_GT(reads, static_cast<std::int64_t>(doc.size() / 512));
    EXPECT_EQ(slurp(s / "r.csv"), report);
    const std::string message = " Chyba cteni souboru  in.xml\n Program ukoncen\n";
    for (std::int64_t n = 1; n <= reads; ++n) { // the last read is the one that meets the end
        Console c;
        {
            Faults f({.fail_read = n, .chunk = 512});
            c = run_loud(s, {"in.xml", "r.csv", "e.xml"});
        }
        ASSERT_EQ(c.status, 13) << n;
        EXPECT_TRUE(has(c.out, std::string(77, ' ') + "\r" + message)) << n << c.out;
        EXPECT_FALSE(has(c.out, "Program ukoncen normalne")) << n;
        // The report holds the findings so far and the message, and no totals.
        const std::string cut = slurp(s / "r.csv");
        EXPECT_TRUE(ends_with(cut, "\n Chyba cteni souboru  in.xml\r\n Program ukoncen\r\n")) << n;
        EXPECT_FALSE(has(cut, "Celkem chyb")) << n;
        EXPECT_EQ(names(s), (std::set<std::string>{"e.xml", "in.xml", "r.csv"})) << n;
    }
    EXPECT_EQ(slurp(s / "in.xml"), doc);
}

// The list file is read through the same layer: a failed read of it is not the end of the list.
TEST(InjectedFaults, EveryFailedReadOfAListEndsWithStatus13) {
    Scratch s;
    spit(s / "a.xml", "<ZPV>\r\n<rok>2009</rok>\r\n");
    spit(s / "b.xml", "</ZPV>\r\n");
    spit(s / "list.txt", "a.xml\nb.xml\n");
    std::int64_t reads = 0;
    {
        Faults f({});
        ASSERT_EQ(s.run({"@list.txt", "r.csv"}), 0);
        reads = util::io_faults.reads;
    }
    ASSERT_GT(reads, 12); // a byte at a time from the list, a few reads of each file
    for (std::int64_t n = 1; n <= reads; ++n) {
        Console c;
        {
            Faults f({.fail_read = n});
            c = run_loud(s, {"@list.txt", "r.csv"});
        }
        EXPECT_EQ(c.status, 13) << n;
        EXPECT_TRUE(has(c.out, " Chyba cteni souboru  list.txt\n") ||
                    has(c.out, " Chyba cteni souboru  a.xml\n") ||
                    has(c.out, " Chyba cteni souboru  b.xml\n"))
            << n << c.out;
    }
}

} // namespace
