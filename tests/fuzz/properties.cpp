#include "tests/fuzz/properties.h"

#include "util/console.h"
#include "util/number.h"
#include "validator/run.h"

#include <cstring>
#include <fstream>
#include <sstream>

namespace zpvprops {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kCrLf = "\r\n";

bool starts(std::string_view s, std::size_t at, std::string_view with) {
    return s.size() >= at + with.size() && s.compare(at, with.size(), with) == 0;
}

std::string number_in(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (c >= '0' && c <= '9')
            out += c;
    return out;
}

// HTML: every table row is "<tr>" CR LF and one line per cell, "<td>" [ "<b>" ] [ "&nbsp;" ] text [ "</b>" ]
// "</td>" CR LF. A cell's text holds no '<' (it is written as "&lt;"), so "</td>" ends it wherever it stands.
Report parse_html(std::string_view r) {
    Report out;
    std::size_t p = 0;
    while ((p = r.find("<tr>\r\n", p)) != std::string_view::npos) {
        Row row;
        row.from = p;
        p += 6;
        while (starts(r, p, "<td>")) {
            std::size_t c = p + 4;
            const std::size_t e = r.find("</td>\r\n", c);
            if (e == std::string_view::npos)
                return out;
            std::size_t ce = e;
            if (starts(r, c, "<b>") && ce >= c + 7 && r.compare(ce - 4, 4, "</b>") == 0) {
                c += 3;
                ce -= 4;
            }
            if (starts(r, c, "&nbsp;"))
                c += 6;
            row.cells.emplace_back(r.substr(c, ce - c));
            p = e + 7;
        }
        row.to = p;
        if (row.cells.size() == 8)
            out.findings.push_back(row);
        else if (row.cells.size() == 3)
            out.summary.push_back(row);
        else if (row.cells.size() == 2 && row.cells[0].ends_with(" E"))
            out.total_e = number_in(row.cells[1]);
        else if (row.cells.size() == 2 && row.cells[0].ends_with(" W"))
            out.total_w = number_in(row.cells[1]);
    }
    out.complete = r.ends_with("</html>\r\n");
    return out;
}

// CSV: records end at a CR LF outside quotes; a quoted cell doubles its inner quotes. The first record is
// the heading, finding records have eight cells, and the totals stand in records of their own.
Report parse_csv(std::string_view r) {
    Report out;
    std::size_t p = 0;
    bool heading = true;
    while (p < r.size()) {
        Row row;
        row.from = p;
        std::string cell;
        bool quoted = false;
        for (;;) {
            if (p >= r.size()) {
                row.cells.push_back(cell);
                break;
            }
            const char c = r[p];
            if (quoted) {
                if (c == '"' && starts(r, p + 1, "\"")) {
                    cell += '"';
                    p += 2;
                } else if (c == '"') {
                    quoted = false;
                    ++p;
                } else {
                    cell += c;
                    ++p;
                }
            } else if (c == '"' && cell.empty()) {
                quoted = true;
                ++p;
            } else if (c == ';') {
                row.cells.push_back(cell);
                cell.clear();
                ++p;
            } else if (starts(r, p, kCrLf)) {
                row.cells.push_back(cell);
                p += 2;
                break;
            } else {
                cell += c;
                ++p;
            }
        }
        row.to = p;
        if (heading)
            heading = false;
        else if (row.cells.size() == 8)
            out.findings.push_back(row);
        else if (row.cells.size() == 2 && row.cells[0].starts_with("Celkem chyb vahy E"))
            out.total_e = number_in(row.cells[1]);
        else if (row.cells.size() == 2 && row.cells[0].starts_with("Celkem chyb vahy W"))
            out.total_w = number_in(row.cells[1]);
    }
    out.complete = r.ends_with(kCrLf);
    return out;
}

// XML: a finding is "<Chyba>" CR LF, one line per cell "<Tag>" text "</Tag>" CR LF, and "</Chyba>" CR LF.
Report parse_xml(std::string_view r) {
    Report out;
    std::size_t p = 0;
    while ((p = r.find("<Chyba>\r\n", p)) != std::string_view::npos) {
        Row row;
        row.from = p;
        p += 9;
        while (p < r.size() && r[p] == '<' && !starts(r, p, "</Chyba>")) {
            const std::size_t name_end = r.find('>', p);
            if (name_end == std::string_view::npos)
                return out;
            const std::string close = "</" + std::string(r.substr(p + 1, name_end - p - 1)) + ">\r\n";
            const std::size_t e = r.find(close, name_end);
            if (e == std::string_view::npos)
                return out;
            row.cells.emplace_back(r.substr(name_end + 1, e - name_end - 1));
            p = e + close.size();
        }
        if (!starts(r, p, "</Chyba>\r\n"))
            return out;
        p += 10;
        row.to = p;
        out.findings.push_back(row);
    }
    auto total = [&](std::string_view tag) {
        const std::size_t at = r.find("<" + std::string(tag) + ">");
        return at == std::string_view::npos ? std::string() : number_in(r.substr(at, r.find(kCrLf, at) - at));
    };
    out.total_e = total("CelkemchybE");
    out.total_w = total("CelkemchybW");
    out.complete = r.ends_with("</ZPV_chyby>\r\n");
    return out;
}

// TXT: the header line, the column heading and a blank line, one line per finding (its line number, then
// its code), a blank line and the totals.
Report parse_txt(std::string_view r) {
    Report out;
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    for (std::size_t p = 0; p < r.size();) {
        std::size_t e = r.find(kCrLf, p);
        e = e == std::string_view::npos ? r.size() : e + 2;
        lines.emplace_back(p, e);
        p = e;
    }
    std::size_t totals = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (starts(r, lines[i].first, "Celkem chyb vahy E")) {
            totals = i;
            break;
        }
    for (std::size_t i = 3; i + 1 < totals; ++i) {
        Row row;
        row.from = lines[i].first;
        row.to = lines[i].second;
        std::istringstream words(std::string(r.substr(row.from, row.to - row.from)));
        // The line cell holds digits, commas, dots and blanks (several line numbers, or none at an
        // employer's end); the code is the first word after it.
        std::string code;
        while (words >> code && code.find_first_not_of("0123456789,.") == std::string::npos)
            code.clear();
        row.cells.push_back(code);
        out.findings.push_back(row);
    }
    if (totals < lines.size())
        out.total_e = number_in(r.substr(lines[totals].first, lines[totals].second - lines[totals].first));
    if (totals + 2 < lines.size())
        out.total_w =
            number_in(r.substr(lines[totals + 2].first, lines[totals + 2].second - lines[totals + 2].first));
    out.complete = r.ends_with(kCrLf);
    return out;
}

// A CSV cell as the HTML and XML reports write it: '<' and '>' as entities, '&' as it stands.
std::string marked_up(std::string_view cell) {
    std::string out;
    for (const char c : cell) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

std::string show(const Row& row) {
    std::string out;
    for (const auto& c : row.cells)
        out += "[" + c + "]";
    return out;
}

// Files are removed before they are written again: emptying a file that holds data makes the file system
// write the old blocks out first (ext4 does on truncation), which takes a run from a millisecond to tens.
void write_file(const fs::path& p, std::string_view bytes) {
    std::error_code ec;
    fs::remove(p, ec);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const char* extension(char format) {
    return format == 'H' ? "htm" : format == 'C' ? "csv" : format == 'X' ? "xml" : "txt";
}

} // namespace

Report parse(std::string_view report, char format) {
    switch (format) {
    case 'H':
        return parse_html(report);
    case 'C':
        return parse_csv(report);
    case 'X':
        return parse_xml(report);
    default:
        return parse_txt(report);
    }
}

std::string formats_agree(std::string_view html, std::string_view csv, std::string_view xml,
                          std::string_view txt) {
    const Report h = parse(html, 'H'), c = parse(csv, 'C'), x = parse(xml, 'X'), t = parse(txt, 'T');
    if (!h.complete || !c.complete || !x.complete || !t.complete)
        return "a report is not complete";
    if (h.findings.size() != c.findings.size() || x.findings.size() != c.findings.size() ||
        t.findings.size() != c.findings.size())
        return "rows: HTML " + std::to_string(h.findings.size()) + ", CSV " +
               std::to_string(c.findings.size()) + ", XML " + std::to_string(x.findings.size()) + ", TXT " +
               std::to_string(t.findings.size());
    for (std::size_t i = 0; i < c.findings.size(); ++i) {
        Row expected = c.findings[i];
        for (auto& cell : expected.cells)
            cell = marked_up(cell);
        if (h.findings[i].cells != expected.cells)
            return "row " + std::to_string(i + 1) + ": CSV " + show(expected) + " HTML " +
                   show(h.findings[i]);
        if (x.findings[i].cells != expected.cells)
            return "row " + std::to_string(i + 1) + ": CSV " + show(expected) + " XML " + show(x.findings[i]);
        if (t.findings[i].cells[0] != c.findings[i].cells[1])
            return "row " + std::to_string(i + 1) + ": CSV code " + c.findings[i].cells[1] + " TXT " +
                   t.findings[i].cells[0];
    }
    for (const Report* r : {&h, &x, &t})
        if (r->total_e != c.total_e || r->total_w != c.total_w || c.total_e.empty() || c.total_w.empty())
            return "totals: CSV " + c.total_e + "/" + c.total_w + ", other " + r->total_e + "/" + r->total_w;
    return {};
}

std::string without_w(std::string_view report, char format) {
    const Report r = parse(report, format);
    const std::size_t code = format == 'T' ? 0 : 1; // the cell that holds the code
    std::string out;
    std::size_t p = 0;
    auto drop = [&](const Row& row, std::size_t cell) {
        if (row.cells.size() > cell && row.cells[cell].starts_with("W")) {
            out.append(report.substr(p, row.from - p));
            p = row.to;
        }
    };
    for (const Row& row : r.findings)
        drop(row, code);
    for (const Row& row : r.summary)
        drop(row, 0);
    out.append(report.substr(p));
    return out;
}

std::string renamed(std::string_view report, char format, std::string_view name, std::string_view as) {
    std::string out(report);
    if (format == 'C')
        return out; // the CSV header names no file
    const std::size_t at = out.find(name);
    if (at != std::string::npos && at < 2000)
        out.replace(at, name.size(), as);
    return out;
}

Runner::Runner(const fs::path& dir) : dir_(dir) {}

std::string Runner::document_name() const {
    return (dir_ / "d.xml").string();
}

std::string Runner::first_part_name() const {
    return (dir_ / "a.xml").string();
}

namespace {

fs::path fresh(const fs::path& p) {
    std::error_code ec;
    fs::remove(p, ec);
    return p;
}

int run_program(const std::vector<std::string>& args) {
    std::vector<const char*> argv{"valix"};
    for (const auto& a : args)
        argv.push_back(a.c_str());
    const bool was_quiet = util::quiet;
    util::quiet = true;
    const int status = validator::run(static_cast<int>(argv.size()), argv.data());
    util::quiet = was_quiet;
    return status;
}

} // namespace

int Runner::run(std::string_view document, char format, bool no_w, std::string* report, std::string* echo) {
    write_file(dir_ / "d.xml", document);
    const fs::path out = fresh(dir_ / (std::string("r.") + extension(format)));
    std::vector<std::string> args{document_name(), out.string()};
    if (echo != nullptr)
        args.push_back(fresh(dir_ / "e.xml").string());
    if (no_w)
        args.push_back("-w");
    const int status = run_program(args);
    *report = read_file(out);
    if (echo != nullptr)
        *echo = read_file(dir_ / "e.xml");
    return status;
}

int Runner::run_list(std::string_view document, std::size_t cut, char format, std::string* report,
                     std::string* echo) {
    cut = std::min(cut, document.size());
    write_file(dir_ / "a.xml", document.substr(0, cut));
    write_file(dir_ / "b.xml", document.substr(cut));
    write_file(dir_ / "l.txt", first_part_name() + "\r\n" + (dir_ / "b.xml").string() + "\r\n");
    const fs::path out = fresh(dir_ / (std::string("r.") + extension(format)));
    std::vector<std::string> args{"@" + (dir_ / "l.txt").string(), out.string()};
    if (echo != nullptr)
        args.push_back(fresh(dir_ / "e.xml").string());
    const int status = run_program(args);
    *report = read_file(out);
    if (echo != nullptr)
        *echo = read_file(dir_ / "e.xml");
    return status;
}

std::string numbers_agree(std::string_view document) {
    const auto differ = [](std::string_view text, char type) {
        double fast = -1, general = -2;
        const int a = util::StrToDbl(fast, text, type), b = util::StrToDbl_general(general, text, type);
        // The padded form, as a field read in the input buffer uses it: the text with digits after it.
        const std::string padded = std::string(text) + "99999999.";
        double in_buffer = -3;
        const int c = util::StrToDbl_padded(in_buffer, std::string_view(padded).substr(0, text.size()), type);
        return a != b || c != b || std::memcmp(&fast, &general, sizeof fast) != 0 ||
               std::memcmp(&in_buffer, &general, sizeof fast) != 0;
    };
    for (std::size_t gt = document.find('>'); gt != std::string_view::npos; gt = document.find('>', gt + 1)) {
        const std::size_t lt = document.find('<', gt + 1);
        std::string_view text = document.substr(gt + 1, lt == std::string_view::npos ? lt : lt - gt - 1);
        for (int form = 0; form < 2; ++form) {
            for (const char type : {'R', 'N'})
                if (differ(text, type))
                    return std::string("the two conversions differ on \"") + std::string(text) + "\" as " +
                           type;
            while (!text.empty() && text.front() == ' ')
                text.remove_prefix(1);
        }
    }
    return {};
}

std::string check_document(std::string_view document, Runner& runner, std::size_t cut,
                           std::string_view formats) {
    std::string reports[4], memory_echo;
    const char all[4] = {'H', 'C', 'X', 'T'};
    for (int i = 0; i < 4; ++i)
        if (validator::run_in_memory(document, all[i], &reports[i], i == 0 ? &memory_echo : nullptr) != 0)
            return std::string("in-memory run failed, format ") + all[i];
    if (std::string e = formats_agree(reports[0], reports[1], reports[2], reports[3]); !e.empty())
        return "formats: " + e;
    for (const char format : formats) {
        const std::string& full = reports[std::string_view("HCXT").find(format)];
        std::string full_file, echo, w, list, list_echo;
        if (runner.run(document, format, false, &full_file, &echo) != 0)
            return std::string("run failed, format ") + format;
        if (renamed(full_file, format, runner.document_name(), "memory.xml") != full)
            return std::string("the run of the file differs from the run in memory, format ") + format;
        if (echo != memory_echo)
            return "the echo file of the run of the file differs from that of the run in memory";
        if (runner.run(document, format, true, &w) != 0)
            return std::string("run with -w failed, format ") + format;
        if (w != without_w(full_file, format))
            return std::string("-w: not the full report without its W rows, format ") + format;
        if (runner.run_list(document, cut, format, &list, &list_echo) != 0)
            return std::string("list run failed, format ") + format;
        if (renamed(list, format, runner.first_part_name(), runner.document_name()) != full_file)
            return std::string("list cut at ") + std::to_string(cut) + ": report differs, format " + format;
        if (list_echo != echo)
            return std::string("list cut at ") + std::to_string(cut) + ": echo differs";
    }
    return {};
}

} // namespace zpvprops
