#include "tests/fuzz/zpv_mutator.h"

#include "checks/fields.h"
#include "refdata/lists.h"
#include "refdata/registers.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace zpvfuzz {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view tag_name(std::string_view tag, std::size_t skip) {
    std::size_t e = skip;
    while (e < tag.size() && !is_blank(tag[e]) && tag[e] != '>' && tag[e] != '/')
        ++e;
    return tag.substr(skip, e - skip);
}

} // namespace

Document parse(std::string_view bytes) {
    Document d;
    d.bytes = bytes;
    std::size_t p = 0;
    while (p < bytes.size()) {
        if (bytes[p] != '<') {
            const std::size_t e = std::min(bytes.find('<', p), bytes.size());
            d.pieces.push_back({Piece::Text, p, e, {}});
            p = e;
            continue;
        }
        const std::string_view rest = bytes.substr(p);
        Piece piece{Piece::Start, p, bytes.size(), {}};
        if (rest.starts_with("<!--")) {
            piece.kind = Piece::Comment;
            const std::size_t e = rest.find("-->", 4);
            piece.to = e == std::string_view::npos ? bytes.size() : p + e + 3;
        } else {
            const std::size_t e = rest.find('>', 1);
            piece.to = e == std::string_view::npos ? bytes.size() : p + e + 1;
            const std::string_view tag = bytes.substr(p, piece.to - p);
            if (tag.size() > 1 && (tag[1] == '?' || tag[1] == '!')) {
                piece.kind = Piece::Other;
            } else if (tag.size() > 1 && tag[1] == '/') {
                piece.kind = Piece::End;
                piece.name = tag_name(tag, 2);
            } else {
                piece.kind = tag.ends_with("/>") ? Piece::Empty : Piece::Start;
                piece.name = tag_name(tag, 1);
            }
        }
        d.pieces.push_back(piece);
        p = piece.to;
    }

    // Pair the tags. An element reaches back over the blanks and line end before its start tag, so that
    // moving it keeps the document's lines as they were.
    struct Open {
        std::size_t piece, element;
        bool leaf;
    };
    std::vector<Open> stack;
    auto lead_from = [&](std::size_t i) {
        const Piece& s = d.pieces[i];
        if (i > 0 && d.pieces[i - 1].kind == Piece::Text) {
            std::size_t f = s.from;
            while (f > d.pieces[i - 1].from && is_blank(bytes[f - 1]))
                --f;
            return f;
        }
        return s.from;
    };
    for (std::size_t i = 0; i < d.pieces.size(); ++i) {
        const Piece& s = d.pieces[i];
        if (s.kind == Piece::Start || s.kind == Piece::Empty) {
            if (!stack.empty())
                stack.back().leaf = false;
            const int depth = static_cast<int>(stack.size());
            d.elements.push_back({s.name, lead_from(i), s.to, s.to, s.to, true, depth});
            if (s.kind == Piece::Start)
                stack.push_back({i, d.elements.size() - 1, true});
        } else if (s.kind == Piece::End) {
            auto open = std::find_if(stack.rbegin(), stack.rend(),
                                     [&](const Open& o) { return d.pieces[o.piece].name == s.name; });
            if (open == stack.rend())
                continue;
            Element& el = d.elements[open->element];
            el.to = s.to;
            el.content_from = d.pieces[open->piece].to;
            el.content_to = s.from;
            el.leaf = open->leaf;
            stack.erase(open.base() - 1, stack.end());
        }
    }
    return d;
}

namespace {

const checks::FieldRule* rule_of(std::string_view element) {
    for (const auto* table : {checks::Ptab, checks::Ttab, checks::Ntab})
        for (const checks::FieldRule* r = table; r->typ != ' '; ++r)
            if (r->elem == element)
                return r;
    return nullptr;
}

std::string number_text(double v, char typ) {
    char buf[64];
    if (typ == 'R')
        std::snprintf(buf, sizeof buf, "%.2f", v);
    else
        std::snprintf(buf, sizeof buf, "%.0f", v);
    return buf;
}

// The text with its last byte one lower and one higher: the nearest texts on either side of a bound.
void neighbours(std::string_view t, std::vector<std::string>& out) {
    if (t.empty())
        return;
    std::string lo(t), hi(t);
    lo.back() = static_cast<char>(lo.back() - 1);
    hi.back() = static_cast<char>(hi.back() + 1);
    out.push_back(lo);
    out.push_back(hi);
}

void dates(std::string_view bound, std::vector<std::string>& out) {
    static constexpr int kMonthEnd[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    char buf[40];
    for (int m = 0; m <= 13; ++m) {
        const int last = m >= 1 && m <= 12 ? kMonthEnd[m] : 31;
        for (const int d : {0, 1, last, last + 1}) {
            if (bound.size() == 8)
                std::snprintf(buf, sizeof buf, "2009%02d%02d", m, d);
            else
                std::snprintf(buf, sizeof buf, "2009-%02d-%02dT%s", m, d, d == 1 ? "00:00:00" : "23:59:59");
            out.push_back(buf);
        }
    }
    out.push_back(bound.size() == 8 ? "20080229" : "2009-06-30T24:00:00");
    out.push_back(bound.size() == 8 ? "20090229" : "2009-06-30 12:00:00");
}

std::string eight(std::uint32_t n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08u", static_cast<unsigned>(n));
    return buf;
}

// Codes of the registers: the first and last entries, a few inside, and the numbers next to them.
void register_codes(std::string_view element, std::vector<std::string>& out) {
    auto numbers = [&](const std::uint32_t* list, int n) {
        for (const int i : {0, 1, n / 3, n / 2, n - 1}) {
            out.push_back(eight(list[i]));
            out.push_back(eight(list[i] + 1));
        }
        out.push_back(eight(list[0] - 1));
    };
    if (element == "ICOpredkladatele")
        numbers(refdata::TcisPred, refdata::kSubmitters);
    else if (element == "AA0017")
        numbers(refdata::TcisPosPre, refdata::kProviders);
    else if (element == "AA0013")
        for (const int i : {0, refdata::kOccupations / 2, refdata::kOccupations - 1}) {
            const std::string code(refdata::TcisKzam[i], 5);
            out.push_back(code);
            neighbours(code, out);
            out.push_back(code.substr(0, 4) + "0");
        }
    else if (element == "AA0033")
        for (const int i : {0, 5, 6, 7, refdata::kCountries / 2, refdata::kCountries - 1}) {
            const std::string code(refdata::TcisStat[i]);
            out.push_back(code);
            neighbours(code, out);
        }
}

} // namespace

std::vector<std::string> edge_values(std::string_view element) {
    std::vector<std::string> out;
    const checks::FieldRule* r = rule_of(element);
    if (r == nullptr)
        return out;
    const char fill = r->typ == 'S' ? 'A' : '9';
    for (const int n : {r->lg_from - 1, r->lg_from, r->lg_to, r->lg_to + 1})
        if (n >= 0)
            out.push_back(std::string(static_cast<std::size_t>(n), fill));
    for (const int bound : {r->val_from, r->val_to}) {
        if (bound >= 1 && bound < 1000) {
            const double v = checks::TValDbl[bound];
            for (const double d : {0.0, -1.0, 1.0, -0.01, 0.01})
                out.push_back(number_text(v + d, r->typ));
            if (r->typ == 'R') {
                out.push_back(number_text(v + 0.001, 'N') + ".001");
                std::string comma = number_text(v, 'R');
                std::replace(comma.begin(), comma.end(), '.', ',');
                out.push_back(comma);
            }
        } else if (bound >= 1000) {
            const std::string_view t = checks::TValChar[bound - 1000];
            out.emplace_back(t);
            neighbours(t, out);
            if ((t.size() == 8 && t.starts_with("2009")) || (t.size() == 19 && t[10] == 'T'))
                dates(t, out);
        }
    }
    for (const std::string_view code : refdata::short_list(element)) {
        out.emplace_back(code);
        neighbours(code, out);
    }
    register_codes(element, out);
    for (const char* odd : {"", " ", "-0", "+1", "0x10", "1e3", " 1", "1 ", "00", "&amp;", "\xFD", "1.5"})
        out.emplace_back(odd);
    return out;
}

namespace {

template <typename T>
const T& pick(const std::vector<T>& v, Rng& rng) {
    return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
}

std::size_t below(std::size_t n, Rng& rng) {
    return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
}

bool chance(Rng& rng, int percent) {
    return static_cast<int>(below(100, rng)) < percent;
}

std::string replaced(std::string_view d, std::size_t from, std::size_t to, std::string_view with) {
    std::string out;
    out.reserve(d.size() + with.size());
    out.append(d.substr(0, from)).append(with).append(d.substr(to));
    return out;
}

std::string_view text_of(const Document& doc, const Element& e) {
    return doc.bytes.substr(e.from, e.to - e.from);
}

// An element of the document: a block (an element holding others) about a third of the time, when there
// is one, else any.
const Element* some_element(const Document& doc, Rng& rng, bool prefer_blocks) {
    if (doc.elements.empty())
        return nullptr;
    if (prefer_blocks) {
        std::vector<const Element*> blocks;
        for (const Element& e : doc.elements)
            if (!e.leaf && e.depth > 0)
                blocks.push_back(&e);
        if (!blocks.empty())
            return pick(blocks, rng);
    }
    return &doc.elements[below(doc.elements.size(), rng)];
}

const Element* some_leaf(const Document& doc, Rng& rng) {
    std::vector<const Element*> leaves;
    for (const Element& e : doc.elements)
        if (e.leaf && e.content_to < e.to) // with its end tag
            leaves.push_back(&e);
    return leaves.empty() ? nullptr : pick(leaves, rng);
}

// A place between elements: before the start of one or after the end of one.
std::size_t some_boundary(const Document& doc, Rng& rng) {
    if (doc.elements.empty())
        return below(doc.bytes.size() + 1, rng);
    const Element& e = pick(doc.elements, rng);
    return chance(rng, 50) ? e.from : e.to;
}

std::string line_end(std::string_view d) {
    return d.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
}

std::string field_name(Rng& rng) {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> v;
        for (const auto* table : {checks::Ptab, checks::Ttab, checks::Ntab})
            for (const checks::FieldRule* r = table; r->typ != ' '; ++r)
                v.push_back(r->elem);
        for (const char* other : {"ZPV", "zamestnavatel", "zamestnanec", "hlavicka", "KoNeCN"})
            v.push_back(other);
        return v;
    }();
    return std::string(pick(names, rng));
}

std::string edge_value(std::string_view element, const Document& doc, Rng& rng) {
    if (chance(rng, 15)) {
        // the value of another element of that name, or of any field
        std::vector<std::string_view> values;
        for (const Element& e : doc.elements)
            if (e.leaf && e.name == element)
                values.push_back(doc.bytes.substr(e.content_from, e.content_to - e.content_from));
        if (!values.empty())
            return std::string(pick(values, rng));
    }
    const std::vector<std::string> edges = edge_values(element);
    if (!edges.empty() && chance(rng, 90))
        return pick(edges, rng);
    const std::vector<std::string> any = edge_values(field_name(rng));
    return any.empty() ? std::string("0") : pick(any, rng);
}

// --- the changes ---

std::string change_value(const Document& doc, Rng& rng) {
    const Element* e = some_leaf(doc, rng);
    if (e == nullptr)
        return {};
    return replaced(doc.bytes, e->content_from, e->content_to, edge_value(e->name, doc, rng));
}

std::string delete_element(const Document& doc, Rng& rng) {
    const Element* e = some_element(doc, rng, chance(rng, 30));
    return e == nullptr ? std::string() : replaced(doc.bytes, e->from, e->to, "");
}

std::string duplicate_element(const Document& doc, Rng& rng) {
    const Element* e = some_element(doc, rng, chance(rng, 40));
    if (e == nullptr)
        return {};
    const std::size_t at = chance(rng, 70) ? e->to : some_boundary(doc, rng);
    return replaced(doc.bytes, at, at, text_of(doc, *e));
}

std::string move_element(const Document& doc, Rng& rng) {
    const Element* e = some_element(doc, rng, chance(rng, 40));
    if (e == nullptr)
        return {};
    const std::size_t at = some_boundary(doc, rng);
    if (at > e->from && at < e->to)
        return {};
    const std::string piece(text_of(doc, *e));
    std::string out = replaced(doc.bytes, at, at, piece);
    const std::size_t from = at <= e->from ? e->from + piece.size() : e->from;
    out.erase(from, piece.size());
    return out;
}

std::string swap_elements(const Document& doc, Rng& rng) {
    const bool blocks = chance(rng, 40);
    const Element* a = some_element(doc, rng, blocks);
    const Element* b = some_element(doc, rng, blocks);
    if (a == nullptr || b == nullptr)
        return {};
    if (a->from > b->from)
        std::swap(a, b);
    if (b->from < a->to) // nested or the same
        return {};
    std::string out(doc.bytes.substr(0, a->from));
    out.append(text_of(doc, *b))
        .append(doc.bytes.substr(a->to, b->from - a->to))
        .append(text_of(doc, *a))
        .append(doc.bytes.substr(b->to));
    return out;
}

std::string insert_field(const Document& doc, Rng& rng) {
    const std::string name = field_name(rng);
    const std::string element =
        line_end(doc.bytes) + "<" + name + ">" + edge_value(name, doc, rng) + "</" + name + ">";
    const std::size_t at = some_boundary(doc, rng);
    return replaced(doc.bytes, at, at, element);
}

std::string change_syntax(const Document& doc, Rng& rng) {
    const Element* e = some_element(doc, rng, false);
    const std::string le = line_end(doc.bytes);
    switch (below(14, rng)) {
    case 0: { // a comment, sometimes with a line end or a tag in it
        static const std::vector<std::string> comments = {
            "<!-- x -->", "<!---->", "<!-- <AA0131>1</AA0131> -->", "<!-- a\r\nb -->", "<!-- -- -->", "<!--"};
        const std::size_t at = chance(rng, 50) && e ? e->content_from : some_boundary(doc, rng);
        return replaced(doc.bytes, at, at, pick(comments, rng));
    }
    case 1: // the empty form of an element
        if (e == nullptr)
            return {};
        return replaced(doc.bytes, e->from, e->to, le + "<" + std::string(e->name) + "/>");
    case 2: { // an attribute in the start tag
        if (e == nullptr || e->content_from == e->from)
            return {};
        static const std::vector<std::string> attrs = {" a=\"1\"", " jednotka=\"uvazek\"", " x", " a='>'",
                                                       "\t"};
        return replaced(doc.bytes, e->content_from - 1, e->content_from - 1, pick(attrs, rng));
    }
    case 3: { // a prefix on the start tag, the end tag or both
        if (e == nullptr)
            return {};
        std::string out(doc.bytes);
        const std::size_t start = out.find('<', e->from);
        if (e->content_to < e->to && chance(rng, 60))
            out.insert(e->content_to + 2, "zpv:");
        if (start != std::string::npos && chance(rng, 60))
            out.insert(start + 1, "zpv:");
        return out;
    }
    case 4: { // every line end of another kind
        std::string out;
        const std::string to = pick(std::vector<std::string>{"\r\n", "\n", "\r", "\n\n", " \r\n"}, rng);
        for (std::size_t i = 0; i < doc.bytes.size(); ++i) {
            if (doc.bytes[i] == '\r' && i + 1 < doc.bytes.size() && doc.bytes[i + 1] == '\n')
                continue;
            if (doc.bytes[i] == '\n')
                out += to;
            else
                out += doc.bytes[i];
        }
        return out;
    }
    case 5: { // one line end or blank of another kind
        const std::size_t at = some_boundary(doc, rng);
        return replaced(doc.bytes, at, at,
                        pick(std::vector<std::string>{"\r", "\n", "\r\n", " ", "\t", "\r\n\r\n"}, rng));
    }
    case 6: // an over-long name
        if (e == nullptr)
            return {};
        return replaced(doc.bytes, e->from, e->to,
                        le + "<" + std::string(e->name) + std::string(50 + below(10, rng), 'N') + ">1</" +
                            std::string(e->name) + ">");
    case 7: { // an over-long content
        const Element* l = some_leaf(doc, rng);
        if (l == nullptr)
            return {};
        return replaced(doc.bytes, l->content_from, l->content_to, std::string(295 + below(12, rng), '7'));
    }
    case 8: { // an end tag that does not match, or none
        if (e == nullptr || e->content_to == e->to)
            return {};
        return replaced(doc.bytes, e->content_to, e->to, chance(rng, 50) ? "" : "</" + field_name(rng) + ">");
    }
    case 9: // blanks inside a tag
        if (e == nullptr || e->content_from == e->from)
            return {};
        return replaced(doc.bytes, e->content_from - 1, e->content_from - 1, chance(rng, 50) ? " " : "\r\n");
    case 10: { // a content with blanks, line ends or entities
        const Element* l = some_leaf(doc, rng);
        if (l == nullptr)
            return {};
        static const std::vector<std::string> odd = {" 1", "1 2", "a\r\nb",   "&lt;",
                                                     "<",  "]]>", "\x9A\xE8", "\x00x"};
        return replaced(doc.bytes, l->content_from, l->content_to, pick(odd, rng));
    }
    case 11: { // a lost '<' or '>'
        if (e == nullptr)
            return {};
        const std::size_t at = chance(rng, 50) ? doc.bytes.find('<', e->from) : e->content_from - 1;
        if (at >= doc.bytes.size())
            return {};
        return replaced(doc.bytes, at, at + 1, "");
    }
    case 12: { // a declaration or processing instruction
        static const std::vector<std::string> decls = {"<?xml version=\"1.0\" encoding=\"windows-1250\"?>",
                                                       "<?x?>", "<!DOCTYPE ZPV>", "\xEF\xBB\xBF"};
        const std::size_t at = chance(rng, 50) ? 0 : some_boundary(doc, rng);
        return replaced(doc.bytes, at, at, pick(decls, rng));
    }
    default: { // the document cut short after an element
        if (e == nullptr)
            return {};
        return std::string(doc.bytes.substr(0, chance(rng, 50) ? e->to : e->content_from));
    }
    }
}

} // namespace

std::string mutate(std::string_view document, Rng& rng) {
    const Document doc = parse(document);
    if (doc.elements.empty())
        return {};
    const int roll = static_cast<int>(below(100, rng));
    if (roll < 35)
        return change_value(doc, rng);
    if (roll < 45)
        return delete_element(doc, rng);
    if (roll < 55)
        return duplicate_element(doc, rng);
    if (roll < 62)
        return move_element(doc, rng);
    if (roll < 70)
        return swap_elements(doc, rng);
    if (roll < 78)
        return insert_field(doc, rng);
    return change_syntax(doc, rng);
}

std::string cross_over(std::string_view document, std::string_view other, Rng& rng) {
    const Document a = parse(document);
    const Document b = parse(other);
    const Element* from = some_element(b, rng, chance(rng, 50));
    if (a.elements.empty() || from == nullptr)
        return {};
    const std::string_view piece = text_of(b, *from);
    if (chance(rng, 50)) {
        std::vector<const Element*> same;
        for (const Element& e : a.elements)
            if (e.name == from->name)
                same.push_back(&e);
        if (!same.empty()) {
            const Element* at = pick(same, rng);
            return replaced(document, at->from, at->to, piece);
        }
    }
    const std::size_t at = some_boundary(a, rng);
    return replaced(document, at, at, piece);
}

} // namespace zpvfuzz
