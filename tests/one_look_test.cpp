// A field on one line is read in one look where it stands in the input buffer; every other element goes
// the general way, byte by byte. Both must give the same report and the same echo file, byte for byte, on
// any document: the shipped examples, every end-to-end case, the fuzzing corpus, and damaged copies of
// the examples with tag marks, line ends, NUL bytes and blanks put where they break the usual shape.
#include "reader/scanner.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

namespace fs = std::filesystem;

struct Output {
    int status = 0;
    std::string report;
    std::string echo;
};

Output validate(const std::string& doc, char format, bool one_look) {
    reader::one_look = one_look;
    Output out;
    out.status = validator::run_in_memory(doc, format, &out.report, &out.echo);
    reader::one_look = true;
    return out;
}

// Compares the two paths on a document; returns false (with the test failed) at the first difference.
bool same_both_ways(const std::string& doc, const std::string& what, std::initializer_list<char> formats) {
    for (const char format : formats) {
        const Output one_look = validate(doc, format, true);
        const Output general = validate(doc, format, false);
        EXPECT_EQ(one_look.status, general.status) << what << " " << format;
        EXPECT_EQ(one_look.report, general.report) << what << " " << format;
        EXPECT_EQ(one_look.echo, general.echo) << what << " " << format;
        if (one_look.status != general.status || one_look.report != general.report ||
            one_look.echo != general.echo)
            return false;
    }
    return true;
}

class OneLookReading : public testing::Test {
  protected:
    void SetUp() override { testing_support::set_env("SOURCE_DATE_EPOCH", "1246370709"); }
};

TEST_F(OneLookReading, GivesTheGeneralPathsReportOnEveryKnownDocument) {
    std::vector<fs::path> docs;
    const fs::path root = testing_support::source_dir();
    for (const auto& e : fs::recursive_directory_iterator(root / "tests" / "data"))
        if (e.is_regular_file() && e.path().extension() == ".xml" && e.path().filename() == "case.xml")
            docs.push_back(e.path());
    for (const auto& e : fs::directory_iterator(root / "tests" / "fuzz" / "corpus"))
        if (e.is_regular_file())
            docs.push_back(e.path());
    docs.push_back(root / "examples" / "zpv.xml");
    docs.push_back(root / "examples" / "zpv-chyby.xml");
    ASSERT_GT(docs.size(), 50u);
    for (const auto& p : docs)
        if (!same_both_ways(testing_support::slurp(p), p.string(), {'H', 'C', 'T', 'X'}))
            return;
}

// Damage that changes how an element is read: bytes that end names and contents, begin or end tags, or
// make a name a comment, a prologue tag, an empty form or a prefixed name.
std::string damaged(std::string doc, std::mt19937& rng) {
    static constexpr const char* kPieces[] = {
        "zpv:",
        "<!-->",
        "<!---->",
        "<AA0131/>",
        "<AA0131>  7</AA0131>",
        "  ",
        "</zamestnanec>",
        "<zamestnanec>",
        "</zamestnanec><zamestnanec>",
        "</zamestnavatel><zamestnavatel>",
        "<AA0131/>x</AA0131>",
        "<A23456789012345678901234567890123456789012345678901/>1</x>",
        "<A234567890123456789012345678901234567890123456789012345>1</A2345>"};
    static constexpr char kBytes[] = {'<',  '>', '/', ':', ' ', '\n', '\r',
                                      '\0', '!', '?', '-', 'A', '0',  '.'};
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < edits && !doc.empty(); ++i) {
        const std::size_t at = rng() % doc.size();
        const char byte = rng() % 8 == 0 ? static_cast<char>(rng() % 256) : kBytes[rng() % sizeof kBytes];
        switch (rng() % 6) {
        case 0:
        case 1:
            doc[at] = byte;
            break;
        case 2:
            doc.insert(doc.begin() + static_cast<std::ptrdiff_t>(at), byte);
            break;
        case 3:
            doc.erase(at, 1 + rng() % 3);
            break;
        case 4:
            doc.insert(at, kPieces[rng() % std::size(kPieces)]);
            break;
        default: {
            // A field moved to a line end (a short comment, an empty form, a long name) or its content
            // given leading blanks.
            const std::size_t line = doc.rfind('\n', at);
            if (line != std::string::npos)
                doc.insert(line + 1, kPieces[rng() % std::size(kPieces)]);
            break;
        }
        }
    }
    return doc;
}

TEST_F(OneLookReading, GivesTheGeneralPathsReportOnDamagedDocuments) {
    const fs::path root = testing_support::source_dir();
    std::mt19937 rng(20091);
    for (const char* name : {"zpv.xml", "zpv-chyby.xml"}) {
        const std::string original = testing_support::slurp(root / "examples" / name);
        for (int n = 0; n < 300; ++n)
            if (!same_both_ways(damaged(original, rng), std::string(name) + " damaged #" + std::to_string(n),
                                {'T'}))
                return;
    }
}

// An employee field that follows the one before it in the table's order is taken with its row known when
// its '<' stands within 16 bytes and its content has up to 15 bytes; around those edges, and wherever its
// name, its end tag or its content differ from the common shape, it must read as the general path reads.
TEST_F(OneLookReading, GivesTheGeneralPathsReportAtTheEdgesOfAKnownField) {
    const std::string doc = testing_support::slurp(testing_support::source_dir() / "examples" / "zpv.xml");
    const std::string line = "      <AA0225>3.92</AA0225>";
    const std::size_t at = doc.find(line);
    ASSERT_NE(at, std::string::npos);
    std::vector<std::string> forms;
    for (int n = 0; n <= 17; ++n) {
        forms.push_back("      <AA0225>" + std::string(n, '1') + "</AA0225>");
        forms.push_back(std::string(n, ' ') + "<AA0225>3.92</AA0225>");
        forms.push_back("\n" + std::string(n, ' ') + "<AA0225>3.92</AA0225>");
    }
    for (const char odd : {' ', ':', '\t', '\0', '\x1F', '\x80', '\xFD', '>', '/', 'A'}) {
        forms.push_back("      <AA0225>3." + std::string(1, odd) + "2</AA0225>");
        forms.push_back("      <AA0225>" + std::string(1, odd) + "</AA0225>");
    }
    for (const char* form :
         {"      <AA0225>3.92</AA0226>", "      <AA0225>3.92</AA0225 >", "      <AA0225>3.92</AA022>",
          "      <AA0225>3.92</AA02255>", "      <AA0225>3.92</aa0225>", "      <AA0225>3.92<AA0225>",
          "      <AA0225 >3.92</AA0225>", "      <AA0216>1.5</AA0216>", "      <AA0131>40</AA0131>",
          "      <AA0225>3.92</AA0225><AA0216>1</AA0216>", "      <AA0225/>", "      <AA0225></AA0225>",
          "      <zpv:AA0225>3.92</zpv:AA0225>", "      <!-- x --><AA0225>3.92</AA0225>",
          "      <AA0225>3.92</AA0225\n>", "      <AA0225>3.92\n</AA0225>", "      <AA0225>-0.5</AA0225>"})
        forms.push_back(form);
    for (std::size_t i = 0; i < forms.size(); ++i) {
        std::string changed = doc;
        changed.replace(at, line.size(), forms[i]);
        if (!same_both_ways(changed, "form #" + std::to_string(i) + " " + forms[i], {'C', 'T'}))
            return;
    }
}

// A file is read through a buffer a fraction of its size: elements stand across every refill at every
// offset, and there the one-look path must hand over to the general one.
TEST_F(OneLookReading, GivesTheGeneralPathsReportAcrossBufferRefills) {
    const std::string doc =
        testing_support::slurp(testing_support::source_dir() / "examples" / "zpv-chyby.xml");
    const std::size_t from = doc.rfind('\n', doc.find("<zamestnavatel>")) + 1;
    const std::size_t to = doc.find('\n', doc.rfind("</zamestnavatel>")) + 1;
    const std::string employers = doc.substr(from, to - from);
    std::string big = doc.substr(0, from);
    std::mt19937 rng(4711);
    while (big.size() < (3u << 20)) {
        std::string copy = employers;
        // Indentation of random width shifts every later element against the buffer's edges.
        for (std::size_t at = copy.find('\n'); at != std::string::npos; at = copy.find('\n', at + 1))
            if (rng() % 16 == 0)
                copy.insert(at + 1, rng() % 40, ' ');
        big += rng() % 4 == 0 ? damaged(copy, rng) : copy;
    }
    big += doc.substr(to);

    testing_support::Scratch s;
    testing_support::spit(s / "big.xml", big);
    reader::one_look = false;
    const int general = s.run({"big.xml", "general.txt", "general-echo.xml"});
    reader::one_look = true;
    const int one_look = s.run({"big.xml", "one_look.txt", "one_look-echo.xml"});
    EXPECT_EQ(one_look, general);
    const std::string report = testing_support::slurp(s / "one_look.txt");
    EXPECT_GT(report.size(), 100000u); // the damage gives many findings
    EXPECT_EQ(report, testing_support::slurp(s / "general.txt"));
    EXPECT_EQ(testing_support::slurp(s / "one_look-echo.xml"),
              testing_support::slurp(s / "general-echo.xml"));
}

} // namespace
