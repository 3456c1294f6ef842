#include "tests/explanations.h"

#include "checks/fields.h"
#include "tests/support.h"

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <set>

namespace explanations {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool is_key_char(char c) {
    return (c >= 'a' && c <= 'z') || c == '_';
}

std::string at_line(int line) {
    return "docs/vysvetleni.txt:" + std::to_string(line) + ": ";
}

} // namespace

std::string Entry::value(std::string_view key) const {
    for (const Field& f : fields)
        if (f.key == key)
            return f.value;
    return {};
}

bool Entry::has(std::string_view key) const {
    return std::any_of(fields.begin(), fields.end(), [&](const Field& f) { return f.key == key; });
}

std::vector<const Field*> Entry::all(std::string_view key) const {
    std::vector<const Field*> out;
    for (const Field& f : fields)
        if (f.key == key)
            out.push_back(&f);
    return out;
}

Table parse(std::string_view text) {
    Table t;
    std::set<std::string> seen;
    int number = 0;
    std::size_t p = 0;
    while (p < text.size()) {
        std::size_t e = text.find('\n', p);
        if (e == std::string_view::npos)
            e = text.size();
        std::string_view line = text.substr(p, e - p);
        p = e + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.substr(0, 2) == "==") {
            std::string_view code = trim(line.substr(2));
            code = code.substr(0, code.find(' '));
            Entry entry;
            entry.code = std::string(code);
            entry.line = number;
            if (code.empty())
                t.errors.push_back(at_line(number) + "\"==\" without a code");
            else if (!seen.insert(entry.code).second)
                t.errors.push_back(at_line(number) + "a second entry of " + entry.code);
            t.entries.push_back(entry);
            continue;
        }
        if (line.front() == ' ' || line.front() == '\t') {
            if (trim(line).empty())
                continue;
            if (t.entries.empty() || t.entries.back().fields.empty()) {
                t.errors.push_back(at_line(number) + "a continuation line without a key before it");
                continue;
            }
            Field& f = t.entries.back().fields.back();
            f.value += '\n';
            f.value += trim(line);
            continue;
        }
        std::size_t k = 0;
        while (k < line.size() && is_key_char(line[k]))
            ++k;
        if (k == 0 || k >= line.size() || line[k] != ':') {
            t.errors.push_back(at_line(number) +
                               "neither \"== CODE\", \"key: value\", a continuation nor a comment");
            continue;
        }
        const std::string key(line.substr(0, k));
        if (std::find(std::begin(kKeys), std::end(kKeys), key) == std::end(kKeys)) {
            t.errors.push_back(at_line(number) + "unknown key \"" + key + "\"");
            continue;
        }
        if (t.entries.empty()) {
            t.errors.push_back(at_line(number) + "\"" + key + ":\" before the first \"== CODE\"");
            continue;
        }
        t.entries.back().fields.push_back({key, std::string(trim(line.substr(k + 1))), number});
    }
    return t;
}

Table read_table() {
    return parse(testing_support::slurp(testing_support::source_dir() / "docs" / "vysvetleni.txt"));
}

namespace {

// A cursor over the text of one "chyba:" or "opraveno:" value.
struct Lexer {
    std::string_view s;
    std::size_t p = 0;

    void skip() {
        while (p < s.size() &&
               (s[p] == ' ' || s[p] == '\t' || s[p] == '\n' || s[p] == '\r' || s[p] == ',' || s[p] == ';'))
            ++p;
    }
    bool done() {
        skip();
        return p >= s.size();
    }
    bool word(std::string_view w) {
        skip();
        if (s.substr(p, w.size()) != w)
            return false;
        const std::size_t after = p + w.size();
        if (w == "po" && after < s.size() && s[after] != ' ' && s[after] != '"')
            return false;
        p = after;
        return true;
    }
    // A quoted text with \" \\ and \n; "" or the error.
    std::string quoted(std::string& out) {
        skip();
        if (p >= s.size() || s[p] != '"')
            return "a quoted text expected at \"" + std::string(s.substr(p, 30)) + "\"";
        out.clear();
        for (++p; p < s.size(); ++p) {
            const char c = s[p];
            if (c == '"') {
                ++p;
                return {};
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++p >= s.size())
                break;
            switch (s[p]) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            default:
                return std::string("unknown escape \\") + s[p];
            }
        }
        return "a quoted text without its closing quote";
    }
};

} // namespace

std::string parse_edits(std::string_view value, std::vector<Edit>& out) {
    Lexer lx{value};
    if (lx.done())
        return "no edit";
    while (!lx.done()) {
        const std::size_t start = lx.p;
        Edit e;
        if (lx.word("po"))
            if (std::string err = lx.quoted(e.anchor); !err.empty())
                return err;
        if (std::string err = lx.quoted(e.from); !err.empty())
            return err;
        if (!lx.word("->"))
            return "\"->\" expected after \"" + e.from + "\"";
        if (std::string err = lx.quoted(e.to); !err.empty())
            return err;
        if (e.from.empty())
            return "an edit of an empty text";
        e.source = std::string(trim(value.substr(start, lx.p - start)));
        out.push_back(std::move(e));
    }
    return {};
}

namespace {

// The Windows-1250 bytes of an edit's text, "\n" as the document's CR LF.
std::string document_bytes(std::string_view utf8) {
    std::string out;
    for (const char c : testing_support::cp(utf8)) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace

std::string apply_edits(std::string& document, const std::vector<Edit>& edits) {
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const Edit& e = edits[i];
        const std::string which = "edit " + std::to_string(i + 1) + " (" + e.source + "): ";
        std::size_t from = 0;
        if (!e.anchor.empty()) {
            const std::size_t a = document.find(document_bytes(e.anchor));
            if (a == std::string::npos)
                return which + "the anchor \"" + e.anchor + "\" is not in the document";
            from = a + document_bytes(e.anchor).size();
        }
        const std::string old = document_bytes(e.from);
        const std::size_t at = document.find(old, from);
        if (at == std::string::npos)
            return which + "\"" + e.from + "\" is not in the document" +
                   (e.anchor.empty() ? "" : " after the anchor");
        document.replace(at, old.size(), document_bytes(e.to));
    }
    return {};
}

const std::string& base_document() {
    static const std::string base =
        testing_support::slurp(testing_support::source_dir() / "examples" / "zpv.xml");
    return base;
}

namespace {

bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t p = 0;
    while (p <= text.size()) {
        std::size_t e = text.find('\n', p);
        if (e == std::string::npos)
            e = text.size();
        out.push_back(text.substr(p, e - p));
        p = e + 1;
    }
    return out;
}

} // namespace

const Sources& sources() {
    static const Sources s = [] {
        namespace fs = std::filesystem;
        Sources out;
        const fs::path root = testing_support::source_dir();
        std::vector<std::string> names;
        for (const char* dir : {"validator", "reader", "checks", "refdata", "report", "util"})
            for (const auto& e : fs::directory_iterator(root / dir)) {
                const std::string ext = e.path().extension().string();
                if (ext == ".cpp" || ext == ".h")
                    names.push_back(fs::relative(e.path(), root).generic_string());
            }
        std::sort(names.begin(), names.end());
        const std::regex literal("\"([EW][SLR][0-9A-Z]{3})\"");
        for (const std::string& name : names) {
            if (name == "report/catalogue.cpp")
                continue;
            const int file = static_cast<int>(out.files.size());
            out.files.push_back(name);
            out.lines.push_back(split_lines(testing_support::slurp(root / name)));
            const auto& lines = out.lines.back();
            for (int i = 0; i < static_cast<int>(lines.size()); ++i)
                for (std::sregex_iterator m(lines[i].begin(), lines[i].end(), literal), end; m != end; ++m)
                    out.literals.push_back({(*m)[1].str(), file, i});
        }
        return out;
    }();
    return s;
}

std::vector<double> numbers_in(std::string_view code) {
    std::vector<double> out;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c < '0' || c > '9')
            continue;
        // A digit inside a name (AA0131), after a point, or in a format ("%10.2f") starts no number.
        if (i > 0 && (is_name_char(code[i - 1]) || code[i - 1] == '.' || code[i - 1] == '%')) {
            while (i + 1 < code.size() && (is_name_char(code[i + 1]) || code[i + 1] == '.'))
                ++i;
            continue;
        }
        const std::string rest(code.substr(i, 40));
        char* end = nullptr;
        const double v = std::strtod(rest.c_str(), &end);
        const std::size_t n = static_cast<std::size_t>(end - rest.c_str());
        const bool name_follows = i + n < code.size() && is_name_char(code[i + n]) && code[i + n] != 'f';
        if (!name_follows)
            out.push_back(v);
        i += n == 0 ? 0 : n - 1;
    }
    return out;
}

namespace {

// The value of a named constant ("constexpr double kLimit = 79.991;") defined somewhere in the sources.
void constant_values(const std::string& name, std::vector<double>& out) {
    const std::regex definition("\\b" + name + "\\s*(=|\\{)\\s*(-?[0-9][0-9.eE+-]*)");
    std::smatch m;
    for (const auto& lines : sources().lines)
        for (const std::string& line : lines)
            if (std::regex_search(line, m, definition))
                out.push_back(std::strtod(m[2].str().c_str(), nullptr));
}

// The lengths and bounds of the field rows that carry the code.
void field_rule_numbers(const std::string& code, std::vector<double>& out) {
    const auto rows = [&](const checks::FieldRule* table, int n) {
        for (int r = 0; r < n; ++r) {
            const checks::FieldRule& f = table[r];
            if (f.err != code)
                continue;
            out.push_back(f.lg_from);
            out.push_back(f.lg_to);
            if (f.val_from > 0 && f.val_from < checks::kTextBase) {
                out.push_back(checks::TValDbl[f.val_from]);
                out.push_back(checks::TValDbl[f.val_to]);
            } else if (f.val_from >= checks::kTextBase) {
                for (const int b : {f.val_from, f.val_to})
                    for (const double v : numbers_in(checks::TValChar[b - checks::kTextBase]))
                        out.push_back(v);
            }
        }
    };
    rows(checks::Ptab, checks::pre::kEnd);
    rows(checks::Ttab, checks::tel::kEnd);
    rows(checks::Ntab, checks::nec::kEnd);
}

} // namespace

std::vector<double> numbers_near(const std::string& code) {
    constexpr int kBefore = 8; // an if condition that spans a few lines, or a limit computed just before
    constexpr int kAfter = 6;  // the rest of a call that is split over lines
    std::vector<double> out;
    const Sources& s = sources();
    const std::regex constant("\\bk[A-Z][A-Za-z0-9_]*");
    for (const Literal& lit : s.literals) {
        if (lit.code != code)
            continue;
        const auto& lines = s.lines[lit.file];
        // A row of a field rule table gives bound indexes, not bounds; its neighbours are other fields.
        const bool table_row = lines[lit.line].find_first_not_of(' ') != std::string::npos &&
                               lines[lit.line].compare(lines[lit.line].find_first_not_of(' '), 2, "{\"") == 0;
        if (table_row)
            continue; // its numbers are the rule's lengths and bounds, below
        const int from = std::max(0, lit.line - kBefore);
        int to = lit.line;
        while (to < static_cast<int>(lines.size()) - 1 && to < lit.line + kAfter &&
               lines[to].find(';') == std::string::npos)
            ++to;
        for (int i = from; i <= to; ++i) {
            const std::string& line = lines[i];
            const std::string_view text = std::string_view(line).substr(0, line.find("//"));
            for (const double v : numbers_in(text))
                out.push_back(v);
            const std::string code_part(text);
            for (std::sregex_iterator m(code_part.begin(), code_part.end(), constant), end; m != end; ++m)
                constant_values(m->str(), out);
        }
    }
    field_rule_numbers(code, out);
    return out;
}

} // namespace explanations
