// The table of explanations of the codes (docs/vysvetleni.txt) against the program: the table reads, and
// every example proves its entry. An entry's "chyba:" edits turn the base document examples/zpv.xml into a
// document whose report must hold the entry's code; its "opraveno:" edits (or none: the base itself) give
// a document whose report must not.
//
// One entry or a few:  VALIX_KOD=EL021 build/valix_tests --gtest_filter='Explanations*'
// (VALIX_KOD takes codes or their beginnings, separated by commas: VALIX_KOD=EL02,WL009.)
// VALIX_KOD_DIR=folder keeps each tried document and its report there (EL021-chyba.xml, EL021-chyba.csv...).
#include "tests/explanations.h"

#include "checks/fields.h"
#include "report/catalogue.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace explanations;

// The codes that VALIX_KOD selects; empty selects every code.
std::vector<std::string> selection() {
    std::vector<std::string> out;
    const char* env = std::getenv("VALIX_KOD");
    if (env == nullptr)
        return out;
    std::string item;
    for (std::istringstream in(env); std::getline(in, item, ',');)
        if (!item.empty())
            out.push_back(item);
    return out;
}

bool selected(const std::string& code) {
    static const std::vector<std::string> chosen = selection();
    if (chosen.empty())
        return true;
    for (const std::string& c : chosen)
        if (code.rfind(c, 0) == 0)
            return true;
    return false;
}

// A report's findings: each code with the report rows that name it, without their description.
struct Findings {
    std::map<std::string, std::vector<std::string>> rows;
    bool has(const std::string& code) const { return rows.count(code) != 0; }
    std::string codes() const {
        std::string out;
        for (const auto& [code, r] : rows)
            out += (out.empty() ? "" : " ") + code + (r.size() > 1 ? "x" + std::to_string(r.size()) : "");
        return out.empty() ? "(none)" : out;
    }
};

// Runs the validator in-process on a document and reads its CSV report.
Findings run_document(const std::string& document, const std::string& keep_as) {
    testing_support::Scratch scratch;
    testing_support::spit(scratch / "case.xml", document);
    const int status = scratch.run({"case.xml", "report.csv"});
    EXPECT_EQ(status, 0) << keep_as << ": the run ended with status " << status;
    const std::string report = testing_support::slurp(scratch / "report.csv");
    if (const char* dir = std::getenv("VALIX_KOD_DIR")) {
        fs::create_directories(dir);
        testing_support::spit(fs::path(dir) / (keep_as + ".xml"), document);
        testing_support::spit(fs::path(dir) / (keep_as + ".csv"), report);
    }
    Findings f;
    std::istringstream in(report);
    for (std::string row; std::getline(in, row);) {
        const std::size_t a = row.find(';');
        const std::size_t b = a == std::string::npos ? a : row.find(';', a + 1);
        if (b == std::string::npos)
            continue;
        const std::string code = row.substr(a + 1, b - a - 1);
        if (code.size() == 5 && (code[0] == 'E' || code[0] == 'W'))
            f.rows[code].push_back(row.substr(0, row.rfind(';')));
    }
    return f;
}

const Findings& base_findings() {
    static const Findings f = run_document(base_document(), "zaklad");
    return f;
}

// A document made from the base by the edits of every field with this key; "" when the edits do not
// read or do not match, with the reason in `error`.
std::string variant(const Entry& e, std::string_view key, std::string& error) {
    std::vector<Edit> edits;
    for (const Field* f : e.all(key))
        if (std::string err = parse_edits(f->value, edits); !err.empty()) {
            error = "docs/vysvetleni.txt:" + std::to_string(f->line) + ": " + std::string(key) + ": " + err;
            return {};
        }
    std::string doc = base_document();
    if (std::string err = apply_edits(doc, edits); !err.empty()) {
        error = std::string(key) + ": " + err;
        return {};
    }
    return doc;
}

TEST(Explanations, TableReadsAndNamesCatalogueCodes) {
    const Table t = read_table();
    for (const std::string& err : t.errors)
        ADD_FAILURE() << err;
    for (const Entry& e : t.entries) {
        if (!selected(e.code))
            continue;
        SCOPED_TRACE("entry " + e.code + " (docs/vysvetleni.txt:" + std::to_string(e.line) + ")");
        EXPECT_NE(report::find_code(e.code), report::kEndRow) << e.code << " is no code of the catalogue";
        EXPECT_TRUE(e.has("nazev")) << "no nazev:";
        if (e.has("nevyvolava")) {
            EXPECT_FALSE(e.has("chyba")) << "an entry of a code that nothing raises has no example";
            continue;
        }
        EXPECT_TRUE(e.has("chyba")) << "no example: a \"chyba:\" edit (or \"nevyvolava:\")";
        EXPECT_TRUE(e.has("kontroluje")) << "no kontroluje:";
    }
}

TEST(Explanations, ExamplesRaiseTheirCodeAndCorrectionsDoNot) {
    // Every example starts from the base, and a corrected variant may be the base itself: it finds nothing.
    ASSERT_TRUE(base_findings().rows.empty()) << "examples/zpv.xml raises " << base_findings().codes();
    for (const Entry& e : read_table().entries) {
        if (!selected(e.code) || !e.has("chyba"))
            continue;
        const std::string where = e.code + " (docs/vysvetleni.txt:" + std::to_string(e.line) + ")";
        std::string error;
        const std::string raising = variant(e, "chyba", error);
        if (!error.empty()) {
            ADD_FAILURE() << where << ": " << error;
            continue;
        }
        const Findings raised = run_document(raising, e.code + "-chyba");
        EXPECT_TRUE(raised.has(e.code))
            << where << ": the example does not raise " << e.code << "; its report holds " << raised.codes();

        if (!e.has("opraveno")) {
            EXPECT_FALSE(base_findings().has(e.code))
                << where << ": the base document itself raises " << e.code;
            continue;
        }
        const std::string corrected = variant(e, "opraveno", error);
        if (!error.empty()) {
            ADD_FAILURE() << where << ": " << error;
            continue;
        }
        const Findings fixed = run_document(corrected, e.code + "-opraveno");
        EXPECT_FALSE(fixed.has(e.code)) << where << ": the corrected variant still raises " << e.code << ": "
                                        << (fixed.has(e.code) ? fixed.rows.at(e.code).front() : "");
    }
}

// The codes the program raises: each has its string literal in the sources, in a call of zpracuj_chybu or
// in a row of a field rule table.
std::set<std::string> raised_codes() {
    std::set<std::string> out;
    for (const Literal& l : sources().literals)
        out.insert(l.code);
    return out;
}

// Which helper section of the table a code's entry stands in, for the list of missing entries.
std::string section_of(const std::string& code) {
    if (code.rfind("EL", 0) == 0)
        return "EL";
    if (code.rfind("WL", 0) == 0 || code.rfind("ER", 0) == 0 || code.rfind("WR", 0) == 0)
        return "WL, ER, WR";
    return "ES, WS";
}

TEST(Explanations, EveryRaisedCodeHasAnEntryAndEveryOtherCodeSaysItIsNotRaised) {
    std::map<std::string, const Entry*> by_code;
    const Table t = read_table();
    for (const Entry& e : t.entries)
        by_code.emplace(e.code, &e);
    const std::set<std::string> raised = raised_codes();
    for (const std::string& code : raised)
        EXPECT_NE(report::find_code(code), report::kEndRow)
            << code << " is raised but is no code of the catalogue";

    std::map<std::string, std::string> missing; // by section
    for (int row = 0; row < report::kEndRow; ++row) {
        const std::string code(report::kCatalogue[row].code);
        if (!selected(code) || report::find_code(code) != row) // a code's later row is never used
            continue;
        const auto it = by_code.find(code);
        if (it == by_code.end()) {
            if (raised.count(code))
                missing[section_of(code)] += " " + code;
            else
                ADD_FAILURE() << code << " is raised by no rule and has no \"nevyvolava:\" entry";
            continue;
        }
        const bool says_unraised = it->second->has("nevyvolava");
        if (raised.count(code))
            EXPECT_FALSE(says_unraised) << code << " (docs/vysvetleni.txt:" << it->second->line
                                        << ") says no rule raises it, but the program does";
        else
            EXPECT_TRUE(says_unraised) << code << " (docs/vysvetleni.txt:" << it->second->line
                                       << ") is raised by no rule: its entry is one \"nevyvolava:\" line";
    }
    for (const auto& [section, codes] : missing)
        ADD_FAILURE() << "raised codes without an entry, section " << section << ":" << codes;
}

// A code that the per-field check raises for a field is explained with that field: its entry names the
// field in what it checks (its numbers are held to the field rule by the konstanty: check).
TEST(Explanations, EntriesOfFieldCodesNameTheirField) {
    std::map<std::string, const Entry*> by_code;
    const Table t = read_table();
    for (const Entry& e : t.entries)
        by_code.emplace(e.code, &e);
    const auto rows = [&](const checks::FieldRule* table, int n) {
        for (int r = 0; r < n; ++r) {
            const std::string code(table[r].err), elem(table[r].elem);
            const auto it = by_code.find(code);
            if (!selected(code) || it == by_code.end())
                continue;
            EXPECT_NE(it->second->value("kontroluje").find(elem), std::string::npos)
                << code << " (docs/vysvetleni.txt:" << it->second->line << ") is raised for the field "
                << elem << ", which its kontroluje: does not name";
        }
    };
    rows(checks::Ptab, checks::pre::kEnd);
    rows(checks::Ttab, checks::tel::kEnd);
    rows(checks::Ntab, checks::nec::kEnd);
}

// Every number an entry quotes under "konstanty:" is a number of the statement that raises its code (or of
// its field rule): a threshold changed in the program makes its explanation fail.
TEST(Explanations, QuotedConstantsAreThoseOfTheRaisingStatement) {
    for (const Entry& e : read_table().entries) {
        if (!selected(e.code) || !e.has("konstanty"))
            continue;
        const std::vector<double> near = numbers_near(e.code);
        std::string text = e.value("konstanty");
        std::replace(text.begin(), text.end(), ',', '.'); // a Czech decimal comma
        std::istringstream in(text);
        for (std::string word; in >> word;) {
            char* end = nullptr;
            const double v = std::strtod(word.c_str(), &end);
            if (end == word.c_str() || *end != '\0') {
                ADD_FAILURE() << e.code << " (docs/vysvetleni.txt:" << e.line << "): konstanty: \"" << word
                              << "\" is no number";
                continue;
            }
            const bool found = std::any_of(near.begin(), near.end(), [&](double n) {
                return std::abs(n - v) <= 1e-9 * std::max(1.0, std::abs(v));
            });
            EXPECT_TRUE(found) << e.code << " (docs/vysvetleni.txt:" << e.line << "): the number " << word
                               << " is not in the statement that raises " << e.code;
        }
    }
}

// The name of the function whose body holds a line: the nearest line above that starts a definition.
std::string enclosing_function(const std::vector<std::string>& lines, int line) {
    for (int i = line; i >= 0; --i) {
        const std::string& l = lines[i];
        if (l.empty() || l[0] == ' ' || l[0] == '/' || l[0] == '}' || l[0] == '#')
            continue;
        const std::size_t paren = l.find('(');
        if (paren == std::string::npos)
            continue;
        std::size_t b = paren;
        while (b > 0 && (std::isalnum(static_cast<unsigned char>(l[b - 1])) || l[b - 1] == '_'))
            --b;
        return l.substr(b, paren - b);
    }
    return {};
}

// The entries of the single-field codes are made from the field rule tables and the fields' meanings; the
// table holds them as made. VALIX_KODY_ZAPIS=1 writes them into the table instead of comparing.
TEST(Explanations, FieldEntriesAreThoseTheFieldRulesGive) {
    std::vector<std::string> errors;
    const std::vector<FieldMeaning> meanings = read_field_meanings(errors);
    const std::string made = field_entries(meanings, errors);
    for (const std::string& err : errors)
        ADD_FAILURE() << err;

    const fs::path path = testing_support::source_dir() / "docs" / "vysvetleni.txt";
    std::string table = testing_support::slurp(path);
    const std::size_t start = table.find(kGeneratedStart);
    const std::size_t end = table.find(kGeneratedEnd);
    ASSERT_TRUE(start != std::string::npos && end != std::string::npos && start < end)
        << "docs/vysvetleni.txt lacks the marker lines of the generated entries";
    const std::size_t body = table.find('\n', start) + 1;
    if (std::getenv("VALIX_KODY_ZAPIS") != nullptr) {
        table.replace(body, end - body, "\n" + made);
        testing_support::spit(path, table);
        return;
    }
    EXPECT_EQ(table.substr(body, end - body), "\n" + made)
        << "the generated entries differ from the field rule tables or docs/vysvetleni-pole.txt; "
           "VALIX_KODY_ZAPIS=1 build/valix_tests --gtest_filter=Explanations.Field* writes them anew";

    // Every field's further codes are codes that some statement about that field raises.
    for (const FieldMeaning& m : meanings) {
        std::istringstream in(m.related);
        for (std::string code; in >> code;) {
            bool names_field = false;
            for (const Literal& l : sources().literals) {
                if (l.code != code)
                    continue;
                const auto& lines = sources().lines[l.file];
                for (int i = std::max(0, l.line - 8); i <= std::min<int>(l.line + 3, lines.size() - 1); ++i)
                    names_field = names_field || lines[i].find(m.elem) != std::string::npos;
                // A lookup that is handed the field's name: its callers name the field.
                const std::string callee = enclosing_function(lines, l.line);
                for (const auto& file : sources().lines)
                    for (const std::string& line : file)
                        names_field =
                            names_field || (!callee.empty() && line.find(callee + "(") != std::string::npos &&
                                            line.find(m.elem) != std::string::npos);
            }
            EXPECT_TRUE(names_field) << "docs/vysvetleni-pole.txt: " << m.elem << " names " << code
                                     << ", but no statement that raises " << code << " reads " << m.elem;
        }
    }
}

// The format itself: what the entries of the table are read as.
TEST(Explanations, EntriesAndEditsReadAsWritten) {
    const Table t = parse("# poznámka\n"
                          "== EL021 navíc\n"
                          "nazev: Evidenční stav\n"
                          "kontroluje: první řádek\n"
                          "  druhý řádek\n"
                          "chyba: po \"<zamestnavatel>\" \"<AA0115>11<\" -> \"<AA0115>12<\"\n"
                          "chyba: \"a\\\"b\\\\c\" -> \"x\\ny\"\n"
                          "== EL021\n"
                          "neznamy: x\n"
                          "volný text\n");
    ASSERT_EQ(t.entries.size(), 2u);
    EXPECT_EQ(t.entries[0].code, "EL021");
    EXPECT_EQ(t.entries[0].value("kontroluje"), "první řádek\ndruhý řádek");
    ASSERT_EQ(t.errors.size(), 3u); // the second EL021, the unknown key, the free text
    EXPECT_NE(t.errors[0].find(":8: a second entry"), std::string::npos) << t.errors[0];

    std::vector<Edit> edits;
    for (const Field* f : t.entries[0].all("chyba"))
        ASSERT_EQ(parse_edits(f->value, edits), "");
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[0].anchor, "<zamestnavatel>");
    EXPECT_EQ(edits[1].from, "a\"b\\c");
    EXPECT_EQ(edits[1].to, "x\ny");

    // The anchor picks the occurrence; texts go over in Windows-1250, "\n" as CR LF.
    std::string doc = "<AA0115>11<x>\r\n<zamestnavatel><AA0115>11<";
    ASSERT_EQ(apply_edits(doc, {edits[0]}), "");
    EXPECT_EQ(doc, "<AA0115>11<x>\r\n<zamestnavatel><AA0115>12<");
    doc = "ab";
    ASSERT_EQ(apply_edits(doc, {{"", "b", "č\n", ""}}), "");
    EXPECT_EQ(doc, "a\xE8\r\n");
    EXPECT_NE(apply_edits(doc, {{"", "b", "c", "\"b\" -> \"c\""}}).find("edit 1 (\"b\" -> \"c\")"),
              std::string::npos);

    // The numbers of a statement: not the digits of a name or of a format.
    EXPECT_EQ(numbers_in("if (NTabSum[nec::AA0131] > 79.991 && x < 1e3) f(\"%10.2f\", 0.5);"),
              (std::vector<double>{79.991, 1000, 0.5}));

    edits.clear();
    EXPECT_NE(parse_edits("\"a\" \"b\"", edits), "");
    EXPECT_NE(parse_edits("\"a\" -> \"b", edits), "");
    EXPECT_EQ(parse_edits("\"a\" -> \"b\"; po \"k\" \"c\" -> \"\"", edits), "");

    // A counted edit is one edit for each n, "{n}" in its texts standing for n.
    edits.clear();
    ASSERT_EQ(parse_edits("\"</ZPV>\" -> \"<a>{n}</a></ZPV>\" pro n = 9..11", edits), "");
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[0].to, "<a>9</a></ZPV>");
    EXPECT_EQ(edits[2].to, "<a>11</a></ZPV>");
    EXPECT_NE(parse_edits("\"a\" -> \"b\" pro n = 3..2", edits), "");
}

} // namespace
