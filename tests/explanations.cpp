#include "tests/explanations.h"

#include "checks/fields.h"
#include "report/catalogue.h"
#include "tests/support.h"
#include "util/cp1250.h"
#include "util/text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>

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
        if ((w == "po" || w == "pro") && after < s.size() && s[after] != ' ' && s[after] != '"')
            return false;
        p = after;
        return true;
    }
    // A whole number; false when none stands here.
    bool number(int& out) {
        skip();
        const std::size_t start = p;
        out = 0;
        while (p < s.size() && s[p] >= '0' && s[p] <= '9' && out < 100000)
            out = out * 10 + (s[p++] - '0');
        return p > start;
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
        // "pro n = A..B" repeats the edit for n from A to B, "{n}" in its texts standing for n: an
        // example that needs a hundred employers is one line, not a hundred.
        int first = 0, last = 0;
        bool counted = false;
        if (lx.word("pro")) {
            if (!lx.word("n") || !lx.word("=") || !lx.number(first) || !lx.word("..") || !lx.number(last) ||
                last < first || last - first >= 1000)
                return "\"pro n = A..B\" expected after \"" + e.to + "\"";
            counted = true;
        }
        e.source = std::string(trim(value.substr(start, lx.p - start)));
        if (!counted) {
            out.push_back(std::move(e));
            continue;
        }
        for (int n = first; n <= last; ++n) {
            Edit one = e;
            for (std::string* text : {&one.anchor, &one.from, &one.to})
                for (std::size_t at; (at = text->find("{n}")) != std::string::npos;)
                    text->replace(at, 3, std::to_string(n));
            out.push_back(std::move(one));
        }
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

std::vector<FieldMeaning> read_field_meanings(std::vector<std::string>& errors) {
    std::vector<FieldMeaning> out;
    const std::string text =
        testing_support::slurp(testing_support::source_dir() / "docs" / "vysvetleni-pole.txt");
    int number = 0;
    for (const std::string& raw : split_lines(text)) {
        ++number;
        const std::string_view line = trim(raw);
        if (line.empty() || line.front() == '#')
            continue;
        std::vector<std::string> cols;
        std::size_t p = 0;
        for (;;) {
            const std::size_t bar = line.find('|', p);
            cols.emplace_back(trim(line.substr(p, bar == std::string_view::npos ? bar : bar - p)));
            if (bar == std::string_view::npos)
                break;
            p = bar + 1;
        }
        cols.resize(std::max<std::size_t>(cols.size(), 5));
        if (cols[0].empty() || cols[1].empty()) {
            errors.push_back("docs/vysvetleni-pole.txt:" + std::to_string(number) +
                             ": no field or no meaning");
            continue;
        }
        out.push_back({cols[0], cols[1], cols[2], cols[3], cols[4]});
    }
    return out;
}

namespace {

// Windows-1250 bytes as UTF-8, for quoting the base document's texts in an edit.
std::string to_utf8(std::string_view bytes) {
    static const std::vector<std::string> table = [] {
        std::vector<std::string> t(256);
        const auto encode = [](char32_t c) {
            std::string u;
            if (c < 0x800) {
                u += static_cast<char>(0xC0 | (c >> 6));
            } else {
                u += static_cast<char>(0xE0 | (c >> 12));
                u += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            }
            u += static_cast<char>(0x80 | (c & 0x3F));
            return u;
        };
        for (char32_t c = 0x80; c < 0x2200; ++c) {
            const std::string u = encode(c);
            char out[4];
            if (util::utf8_to_cp1250(u, out, sizeof out) == 1 && out[0] != '?')
                t[static_cast<unsigned char>(out[0])] = u;
        }
        return t;
    }();
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += b < 0x80 || table[b].empty() ? std::string(1, c) : table[b];
    }
    return out;
}

// A number as the clerk writes it: no exponent, no trailing zeros, a decimal comma.
std::string czech(double v) {
    std::string s(std::string_view(util::fmt("%.6f", v)));
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}
std::string plain(double v) {
    std::string s = czech(v);
    std::replace(s.begin(), s.end(), ',', '.');
    return s;
}

std::string quoted_for_edit(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// What the example does to the field.
struct BadValue {
    std::string value;
    std::string why;
};

BadValue choose_bad_value(const checks::FieldRule& f, const std::string& base_value,
                          const std::string& given) {
    const auto fits = [&](const std::string& v) {
        return static_cast<int>(v.size()) >= f.lg_from && static_cast<int>(v.size()) <= f.lg_to;
    };
    const bool real_bounds = f.val_from > 0 && f.val_from < checks::kTextBase;
    if (!given.empty()) {
        const int n = static_cast<int>(given.size()); // the values given are ASCII
        if (n < f.lg_from)
            return {given, "kratší, než pole dovoluje"};
        if (n > f.lg_to)
            return {given, "delší, než pole dovoluje"};
        return {given, "mimo povolený rozsah"};
    }
    if (real_bounds) {
        const double hi = checks::TValDbl[f.val_to], lo = checks::TValDbl[f.val_from];
        std::string above =
            f.typ == 'R' ? plain(std::floor(hi) + (hi == std::floor(hi) ? 0.5 : 1.0)) : plain(hi + 1);
        if (fits(above))
            return {above, "nad horní mezí " + czech(hi)};
        const std::string below = f.typ == 'R' ? plain(lo - 0.5) : plain(lo - 1);
        if (fits(below))
            return {below, "pod dolní mezí " + czech(lo)};
    }
    std::string longer = base_value;
    const char filler = f.typ == 'S' && base_value.empty() ? 'X' : '1';
    while (static_cast<int>(longer.size()) <= f.lg_to)
        longer += filler;
    return {longer, "o znak delší, než pole dovoluje"};
}

// A text bound as the clerk reads it.
std::string text_bound(std::string_view bound) {
    if (bound == " ")
        return "„ “ (mezera)";
    if (bound.find_first_not_of('\xFD') == std::string_view::npos)
        return "„" + to_utf8(bound) + "“ (nejvyšší písmeno kódové stránky: běžný text se vejde)";
    return "„" + to_utf8(bound) + "“";
}

std::string length_text(const checks::FieldRule& f) {
    if (f.lg_from == f.lg_to)
        return "přesně " + std::to_string(f.lg_from) + " znaků";
    return std::to_string(f.lg_from) + " až " + std::to_string(f.lg_to) + " znaků";
}

std::string expected_for_length(const checks::FieldRule& f) {
    if (f.lg_from == f.lg_to)
        return "„délka " + std::to_string(f.lg_from) + "“";
    return "„délka " + std::to_string(f.lg_from) + " - " + std::to_string(f.lg_to) + "“";
}

// Continuation lines of a long value: the table keeps its lines under about 110 characters.
std::string wrap(const std::string& key, const std::string& text) {
    std::string out = key + ": ";
    std::size_t col = out.size();
    std::istringstream words(text);
    bool first = true;
    for (std::string w; words >> w;) {
        // A character of UTF-8 is counted once: its continuation bytes do not move the column.
        std::size_t width = 0;
        for (const char c : w)
            width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (!first && col + 1 + width > 108) {
            out += "\n ";
            col = 1;
        } else if (!first) {
            out += ' ';
            ++col;
        }
        out += w;
        col += width;
        first = false;
    }
    return out + "\n";
}

} // namespace

std::string field_entries(const std::vector<FieldMeaning>& meanings, std::vector<std::string>& errors) {
    struct Kind {
        const checks::FieldRule* table;
        int rows;
        const char* block;  // where the field stands
        const char* record; // which record of the base the example changes
    };
    const Kind kinds[] = {
        {checks::Ptab, checks::pre::kEnd, "hlavička souboru", "v hlavičce"},
        {checks::Ttab, checks::tel::kEnd, "zaměstnavatel", "u prvního zaměstnavatele"},
        {checks::Ntab, checks::nec::kEnd, "zaměstnanec", "u prvního zaměstnance"},
    };
    std::string out;
    for (const Kind& kind : kinds) {
        for (int r = 0; r < kind.rows; ++r) {
            const checks::FieldRule& f = kind.table[r];
            const std::string code(f.err);
            if (code.substr(1, 1) != "S") // the L and R codes of a field are explained by hand
                continue;
            const std::string elem(f.elem);
            const auto m = std::find_if(meanings.begin(), meanings.end(),
                                        [&](const FieldMeaning& x) { return x.elem == elem; });
            if (m == meanings.end()) {
                errors.push_back("docs/vysvetleni-pole.txt: no line of the field " + elem);
                continue;
            }
            const std::string name = elem + " – " + m->meaning;

            // The field in the base document, and the example's value.
            const std::string open = "<" + elem + ">";
            const std::size_t at = base_document().find(open);
            if (at == std::string::npos) {
                errors.push_back("examples/zpv.xml has no field " + elem);
                continue;
            }
            const std::size_t from = at + open.size();
            const std::string base_value =
                to_utf8(base_document().substr(from, base_document().find('<', from) - from));
            const BadValue bad = choose_bad_value(f, base_value, m->bad_value);

            const bool real_bounds = f.val_from > 0 && f.val_from < checks::kTextBase;
            const bool text_bounds = f.val_from >= checks::kTextBase;
            const bool parsed = kind.table != checks::Ptab && !text_bounds;
            std::string type = "text";
            if (f.typ == 'N' && parsed)
                type = "celé číslo (číslice, smí mít znaménko)";
            if (f.typ == 'R')
                type = "desetinné číslo (číslice a nejvýš jedna desetinná tečka, smí mít znaménko; čárka ani "
                       "mezera nejsou dovoleny)";
            if (f.typ == 'N' && !parsed)
                type = "číslice (jako číslo se nečte, kontroluje se jen délka)";
            std::string bounds;
            if (real_bounds)
                bounds = "hodnota " + czech(checks::TValDbl[f.val_from]) + " až " +
                         czech(checks::TValDbl[f.val_to]) + " včetně";
            if (text_bounds)
                bounds = "text se řadí (po bajtech ve Windows-1250) mezi " +
                         text_bound(checks::TValChar[f.val_from - checks::kTextBase]) + " a " +
                         text_bound(checks::TValChar[f.val_to - checks::kTextBase]) + " včetně";

            const int row = report::find_code(code);
            const std::string cat_expected(report::kCatalogue[row].expected);

            std::string checks_text = "Kontroluje se pole " + name + " (" + kind.block +
                                      ") samo o sobě: délka" + (parsed ? ", zda je text číslem" : "") +
                                      (real_bounds || text_bounds ? " a rozsah hodnot." : ".");
            if (parsed)
                checks_text +=
                    " Nejdřív se text čte jako číslo, potom se kontroluje délka a nakonec rozsah. Text, "
                    "který není číslem, nebo chybná délka kontrolu pole ukončí; hodnota mimo rozsah ne.";
            else if (real_bounds || text_bounds)
                checks_text +=
                    " Nejdřív se kontroluje délka, potom rozsah; chybná délka kontrolu pole ukončí.";
            if (!m->note.empty())
                checks_text += " " + m->note;

            std::string limits = "Délka " + length_text(f) + "; " + type;
            if (!bounds.empty())
                limits += "; " + bounds;
            limits += ".";

            std::string constants = std::to_string(f.lg_from) + " " + std::to_string(f.lg_to);
            if (real_bounds)
                constants +=
                    " " + plain(checks::TValDbl[f.val_from]) + " " + plain(checks::TValDbl[f.val_to]);

            std::string where = "Na řádku pole";
            if (kind.table == checks::Ttab)
                where += ", ve sloupci zaměstnavatele";
            if (kind.table == checks::Ntab)
                where += ", ve sloupcích zaměstnavatele a zaměstnance";
            where += "; Prvek " + elem + ", Hodnota text pole. Očekáváno: při chybné délce " +
                     expected_for_length(f);
            if (parsed || real_bounds || text_bounds)
                where += std::string(parsed ? ", u textu, který není číslem, a" : ",") +
                         " při hodnotě mimo rozsah " +
                         (cat_expected.empty() ? std::string("prázdné") : "„" + cat_expected + "“");
            where += ".";
            if (kind.table == checks::Ntab)
                where +=
                    " Pole dostane značku chyby a pravidla zaměstnance, která je čtou, se pro tento záznam "
                    "vynechají.";
            else if (kind.table == checks::Ttab)
                where += " Pole dostane značku chyby a pravidla na konci zaměstnavatele, která je čtou, se "
                         "vynechají; pravidla, která běží hned u pole, hodnotu mimo rozsah ještě použijí.";
            if (!m->related.empty()) {
                std::string codes = m->related;
                for (std::size_t i = codes.find(' '); i != std::string::npos; i = codes.find(' ', i + 2))
                    codes.replace(i, 1, ", ");
                where += " Další kontroly a pravidla, která pole čtou: " + codes + ".";
            }

            const std::string cause =
                f.typ == 'S'
                    ? "Překlep, text delší nebo kratší, než pole dovoluje, nebo znak mimo povolený rozsah "
                      "(malá písmena místo velkých, znak před číslicemi)."
                    : "Hodnota s mezerou, jednotkou nebo desetinnou čárkou, přetečení pole v mzdovém "
                      "programu, záporná hodnota tam, kde smí být jen kladná.";
            std::string fix = "Opravte v mzdových datech hodnotu pole " + elem + ": délka " + length_text(f);
            if (!bounds.empty())
                fix += ", " + bounds;
            fix += ".";

            out += "== " + code + "\n";
            out += wrap("nazev", name + ": chybná hodnota nebo délka");
            out += wrap("kontroluje", checks_text);
            out += wrap("meze", limits);
            out += "konstanty: " + constants + "\n";
            out += wrap("hlaseni", where);
            out += wrap("pricina", cause);
            out += wrap("naprava", fix);
            out += wrap("priklad", "Pole " + elem + " " + kind.record + " dostane hodnotu „" + bad.value +
                                       "“ (" + bad.why + "); oprava je hodnota základu" +
                                       (base_value.empty() ? ", prázdné pole." : " „" + base_value + "“."));
            out += "chyba: " + quoted_for_edit(open + base_value + "<") + " -> " +
                   quoted_for_edit(open + bad.value + "<") + "\n\n";
        }
    }
    return out;
}

} // namespace explanations
