// Hostile input: truncated, binary, huge and strange documents must always give a complete report, never a
// crash or a hang.
#include "tests/support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace {

namespace fs = std::filesystem;
using testing_support::slurp;

std::string complete_document() {
    return slurp(testing_support::source_dir() / "tests/data/structure/complete/case.xml");
}

// The parts of the complete document: everything before the employer, one employer block, the rest.
struct Parts {
    std::string head, employer_start, employee, employer_end, tail;
};

Parts split(const std::string& doc) {
    const auto emp = doc.find("  <zamestnavatel>");
    const auto nec = doc.find("    <zamestnanec>");
    const auto nec_end = doc.find("    </zamestnanec>") + std::string("    </zamestnanec>\r\n").size();
    const auto emp_end = doc.find("</ZPV>");
    return {doc.substr(0, emp), doc.substr(emp, nec - emp), doc.substr(nec, nec_end - nec),
            doc.substr(nec_end, emp_end - nec_end), doc.substr(emp_end)};
}

std::string with_id(std::string employee, int id) {
    const auto p = employee.find("<AA0126>1001</AA0126>");
    return employee.replace(p, 21, "<AA0126>" + std::to_string(100000 + id) + "</AA0126>");
}

bool complete_csv(const std::string& report) {
    return report.rfind("Radek;Chyba;", 0) == 0 &&
           report.find("\r\nCelkem chyb vahy W:;") != std::string::npos && report.size() > 2 &&
           report.substr(report.size() - 2) == "\r\n";
}

std::string run_csv(std::string_view doc, int* status = nullptr) {
    std::string report;
    const int st = validator::run_in_memory(doc, 'C', &report);
    if (status != nullptr)
        *status = st;
    return report;
}

std::size_t count(const std::string& text, std::string_view what) {
    std::size_t n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

TEST(HostileInput, DocumentCutAtEveryByteGivesACompleteReport) {
    const std::string doc = complete_document();
    for (std::size_t cut = 0; cut <= doc.size(); ++cut) {
        int status = -1;
        const std::string report = run_csv(std::string_view(doc).substr(0, cut), &status);
        ASSERT_EQ(status, 0) << cut;
        ASSERT_TRUE(complete_csv(report)) << cut;
        // Only a document that reaches its root end tag escapes ES306.
        ASSERT_EQ(report.find(";ES306;") == std::string::npos, cut >= doc.find("</ZPV>") + 6) << cut;
    }
}

TEST(HostileInput, NulBytesEndTheTextTheyStandIn) {
    std::string doc = complete_document();
    doc.replace(doc.find("<autor>Jan"), 10, std::string("<autor>J\0an", 11));
    doc.replace(doc.find("<AA0231>1970"), 12,
                std::string("<AA0231>19\0"
                            "70",
                            13));
    doc.insert(doc.find("<AA0131>"), std::string("<AA99\0X>1</AA99\0X>", 19));
    const std::string report = run_csv(doc);
    ASSERT_TRUE(complete_csv(report));
    EXPECT_EQ(report.find('\0'), std::string::npos);
    // "J" is too short for the author; "19" too short for a year; the unknown name is "AA99".
    EXPECT_NE(report.find(";ESAUT;;;autor;J;"), std::string::npos) << report;
    EXPECT_NE(report.find(";EL002;12345679;1001;AA0231;19;"), std::string::npos) << report;
    EXPECT_NE(report.find(";ES301;12345679;1001;AA99;1;1;"), std::string::npos) << report;
}

TEST(HostileInput, BinaryGarbageAndEveryByteValue) {
    std::string bytes;
    for (int round = 0; round < 64; ++round)
        for (int b = 0; b < 256; ++b)
            bytes.push_back(static_cast<char>((b * 37 + round * 11) & 0xFF));
    EXPECT_TRUE(complete_csv(run_csv(bytes)));
    std::string doc = complete_document();
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high.push_back(static_cast<char>(b));
    doc.replace(doc.find("Ministerstvo vnitra"), 19, high.substr(0, 100));
    const std::string report = run_csv(doc);
    EXPECT_TRUE(complete_csv(report));
    // Letters of Windows-1250 order between "0" and "ýýýýýýýýýý": the name passes its text bounds.
    EXPECT_EQ(report.find(";ESPRE;"), std::string::npos);
    EXPECT_TRUE(complete_csv(run_csv(std::string(1 << 20, '<'))));
    EXPECT_TRUE(complete_csv(run_csv(std::string(1 << 20, '>'))));
    EXPECT_TRUE(complete_csv(run_csv(std::string(3 << 20, '\n'))));
}

TEST(HostileInput, FiftyMegabytesOnOneLine) {
    std::string doc = complete_document();
    doc.insert(doc.find("<telefon>"), "<!-- " + std::string(50 << 20, 'x') + " -->");
    doc.replace(doc.find("<AA0013>11211"), 13, "<AA0013>" + std::string(10 << 20, '7'));
    const auto start = std::chrono::steady_clock::now();
    const std::string report = run_csv(doc);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(complete_csv(report));
    // The occupation code is cut to 301 characters: a length finding, nothing more.
    EXPECT_NE(report.find(";ES013;12345679;1001;AA0013;" + std::string(301, '7') + ";"), std::string::npos);
    EXPECT_EQ(count(report, "\r\n"), 6u); // the column names, the one finding, the totals
}

TEST(HostileInput, AHundredThousandComments) {
    std::string doc = complete_document();
    std::string comments;
    for (int i = 0; i < 100000; ++i)
        comments += "<!-- " + std::to_string(i) + " -->\r\n";
    doc.insert(doc.find("    <AA0019>"), comments);
    const std::string report = run_csv(doc);
    EXPECT_TRUE(complete_csv(report));
    EXPECT_EQ(report.find(";E"), std::string::npos) << report.substr(0, 500);
}

TEST(HostileInput, ThirtyThousandEmployeesInOneEmployer) {
    const Parts p = split(complete_document());
    std::string employer = p.employer_start;
    const int n = 30000;
    for (int i = 0; i < n; ++i)
        employer += with_id(p.employee, i);
    // The employer's figures add up over all employees, although only 15 000 slots hold them.
    employer.replace(employer.find("<AA0114>1<"), 10, "<AA0114>" + std::to_string(n) + "<");
    employer.replace(employer.find("<AA0115>1<"), 10, "<AA0115>" + std::to_string(n) + "<");
    employer.replace(employer.find("<AA0116>1<"), 10, "<AA0116>" + std::to_string(n) + "<");
    employer.replace(employer.find("<AA0118>114860<"), 15, "<AA0118>" + std::to_string(114860LL * n) + "<");
    employer.replace(employer.find("<AA0123>229720<"), 15, "<AA0123>" + std::to_string(229720LL * n) + "<");
    const auto start = std::chrono::steady_clock::now();
    const std::string report = run_csv(p.head + employer + p.employer_end + p.tail);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    ASSERT_TRUE(complete_csv(report));
    // Everybody is in the register and has the same education: two plausibility findings, nothing else.
    EXPECT_EQ(count(report, ";WL042;"), 1u);
    EXPECT_EQ(count(report, ";EL081;"), 1u);
    EXPECT_EQ(count(report, "\r\n"), 7u) << report.substr(0, 2000);
}

TEST(HostileInput, ManyEmployersDistinctAndRepeated) {
    const Parts p = split(complete_document());
    std::string distinct = p.head, same = p.head;
    for (int i = 0; i < 200; ++i) {
        std::string e = p.employer_start;
        // Company numbers 10000008 + 11k... keep a valid check digit by construction: 7 digits + check.
        std::string number = std::to_string(1000000 + i);
        int s = 0;
        for (int d = 0; d < 7; ++d)
            s += (8 - d) * (number[d] - '0');
        int c = 11 - s % 11;
        if (c > 9)
            c -= 10;
        number += static_cast<char>('0' + c);
        e.replace(e.find("12345679"), 8, number);
        distinct += e + p.employee + p.employer_end;
        same += p.employer_start + p.employee + p.employer_end;
    }
    const std::string d = run_csv(distinct + p.tail);
    ASSERT_TRUE(complete_csv(d));
    EXPECT_EQ(count(d, ";WL901;"), 1u);
    EXPECT_EQ(count(d, ";EL074;"), 0u);
    const std::string s = run_csv(same + p.tail);
    ASSERT_TRUE(complete_csv(s));
    EXPECT_EQ(count(s, ";EL074;"), 199u);
    EXPECT_EQ(count(s, ";WL901;"), 0u);
}

TEST(HostileInput, LongNamesAndIdentitiesAreCutToTheirRoom) {
    std::string doc = complete_document();
    const std::string n51(51, 'n'), n52 = std::string(51, 'm') + "X";
    doc.insert(doc.find("<AA0131>"), "<" + n51 + ">1</" + n51 + "><" + n52 + ">2</" + n52 + "><" +
                                         std::string(10000, 'z') + ">3</zz>");
    doc.replace(doc.find("<AA0126>1001"), 12, "<AA0126>ABCDEFGHIJKLMNOP");
    doc.replace(doc.find("<AA0113></AA0113>"), 17, "<AA0113>1234567890</AA0113>");
    doc.replace(doc.find("<AA0017>12345679"), 16, "<AA0017>123456789012");
    const std::string report = run_csv(doc);
    ASSERT_TRUE(complete_csv(report));
    // The employer identity holds 19 characters, the employee identity 11, an element name 51.
    const std::string ctx = ";123456789012/123456;ABCDEFGHIJK;";
    EXPECT_NE(report.find(ctx + n51 + ";1;1;"), std::string::npos) << report.substr(0, 3000);
    EXPECT_NE(report.find(ctx + std::string(51, 'm') + ";2;"), std::string::npos);
    EXPECT_NE(report.find(ctx + std::string(51, 'z') + ";3;"), std::string::npos);
    EXPECT_NE(report.find(";ES126" + ctx + "AA0126;ABCDEFGHIJKLMNOP;"), std::string::npos);
}

TEST(HostileInput, ListFileNamingItself) {
    testing_support::Scratch s;
    testing_support::spit(s / "list.txt", "list.txt list.txt\n");
    EXPECT_EQ(s.run({"@list.txt", "out.csv"}), 0);
    const std::string report = slurp(s / "out.csv");
    EXPECT_NE(report.find(";ES306;"), std::string::npos);
}

long peak_rss_kb() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS c{};
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return static_cast<long>(c.PeakWorkingSetSize / 1024);
#else
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
#endif
}

// Three gigabytes: offsets past 2^31 and line numbers past 9 999 999, and memory that does not grow.
TEST(HostileInputSlow, ThreeGigabyteDocument) {
    const Parts p = split(complete_document());
    std::string block = p.employer_start;
    for (int i = 0; i < 1000; ++i)
        block += with_id(p.employee, i);
    block += p.employer_end;
    testing_support::Scratch s;
    const fs::path doc = s / "big.xml";
    std::int64_t lines = 0, size = 0, blocks = 0;
    {
        std::ofstream out(doc, std::ios::binary);
        out << p.head;
        size += static_cast<std::int64_t>(p.head.size());
        const auto block_lines = static_cast<std::int64_t>(count(block, "\n"));
        lines = static_cast<std::int64_t>(count(p.head, "\n"));
        while (size < (3LL << 30)) {
            out << block;
            size += static_cast<std::int64_t>(block.size());
            lines += block_lines;
            ++blocks;
        }
        out << p.tail;
        ASSERT_TRUE(out.good()) << "no room for a 3 GB file in " << s.dir();
    }
    // The last employer's AA0019, where the repeated employer is reported, stands on this line.
    const std::int64_t last_aa0019 = lines - static_cast<std::int64_t>(count(block, "\n")) + 3 + 1;
    const long rss_before = peak_rss_kb();
    EXPECT_EQ(s.run({"big.xml", "out.csv"}), 0);
    const long rss_after = peak_rss_kb();
    fs::remove(doc);
    const std::string report = slurp(s / "out.csv");
    ASSERT_TRUE(complete_csv(report));
    EXPECT_EQ(count(report, ";EL074;"), static_cast<std::size_t>(blocks - 1));
    EXPECT_NE(report.find("\r\n" + std::to_string(last_aa0019) + ";EL074;"), std::string::npos)
        << "line " << last_aa0019;
    EXPECT_GT(last_aa0019, 9999999);
    EXPECT_LT(rss_after - rss_before, 16 * 1024)
        << "peak memory grew by " << (rss_after - rss_before) << " kB";
}

} // namespace
