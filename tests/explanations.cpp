#include "tests/explanations.h"

#include "tests/support.h"

#include <algorithm>
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

} // namespace explanations
