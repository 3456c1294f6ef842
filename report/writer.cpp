#include "report/writer.h"

#include "report/catalogue.h"
#include "report/context.h"
#include "report/observer.h"
#include "util/cp1250.h"
#include "util/version.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstring>

namespace report {

char sw_err = 'H';
char sw_nepisW = 'N';
std::int32_t sumchybE = 0;
std::int32_t sumchybW = 0;
util::OutFile errsoub{0}; // its temporary file is signal slot 0

namespace {

Observer observer;

util::OutFile& out() {
    return errsoub;
}

// A finding row is built from pieces written straight into the report's buffer: no format string is
// parsed and nothing is copied twice, which matters for reports with millions of rows.
void put(std::string_view s) {
    out().raw(s);
}
void eol() {
    out().raw("\r\n");
}

// A cell of the HTML and XML reports: '<' and '>' are written as character references, so that no value
// read from a document can inject markup into a report a clerk opens in a browser, and the XML report stays
// well-formed. '&' is left alone: values are XML text whose entities must keep rendering as they are.
// Whether no byte of the text is one of Bytes. A report of a million findings writes eight million cells,
// the description among them tens of bytes long: sixteen bytes are tested at once where SSE2 is there.
template <char... Bytes>
bool none_of(std::string_view s) {
    const char* p = s.data();
    std::size_t n = s.size();
#if defined(__SSE2__)
    for (; n >= 16; p += 16, n -= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hit = _mm_setzero_si128();
        ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(Bytes)))), ...);
        if (_mm_movemask_epi8(hit) != 0)
            return false;
    }
#endif
    bool plain = true;
    for (; n > 0; ++p, --n)
        plain &= ((*p != Bytes) && ...);
    return plain;
}

void put_markup_cell(std::string_view s) {
    if (none_of<'<', '>'>(s)) {
        put(s);
        return;
    }
    std::size_t from = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '<' && s[i] != '>')
            continue;
        put(s.substr(from, i - from));
        put(s[i] == '<' ? "&lt;" : "&gt;");
        from = i + 1;
    }
    put(s.substr(from));
}

// A cell of the CSV report: one holding ';', '"' or a line end is quoted, inner '"' doubled, so that it
// stays one cell (the usual rule, which Excel reads). Every other cell is written as it is.
void put_csv_cell(std::string_view s) {
    if (none_of<';', '"', '\r', '\n'>(s)) {
        put(s);
        return;
    }
    put("\"");
    std::size_t from = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '"')
            continue;
        put(s.substr(from, i + 1 - from));
        put("\"");
        from = i + 1;
    }
    put(s.substr(from));
    put("\"");
}

// TXT columns: right-aligned in at least `width` places, never cut.
void put_right(std::string_view s, std::size_t width) {
    static constexpr char kBlanks[] = "                                ";
    if (s.size() < width)
        put({kBlanks, width - s.size()});
    put(s);
}

// A row's texts are those the observer sees.
using Row = Finding;

void write_html(const Row& r) {
    const bool bold = !r.code.empty() && r.code[0] == 'E';
    put("<tr>\r\n<td>&nbsp;");
    put_markup_cell(r.line);
    put(bold ? "</td>\r\n<td><b>&nbsp;" : "</td>\r\n<td>&nbsp;");
    put_markup_cell(r.code);
    put(bold ? "</b></td>\r\n<td>&nbsp;" : "</td>\r\n<td>&nbsp;");
    put_markup_cell(r.employer);
    put("</td>\r\n<td>&nbsp;");
    put_markup_cell(r.employee);
    put("</td>\r\n<td>&nbsp;");
    put_markup_cell(r.element);
    put("</td>\r\n<td>&nbsp;");
    put_markup_cell(r.value);
    put("</td>\r\n<td>&nbsp;");
    put_markup_cell(r.expected);
    put("</td>\r\n<td>&nbsp;");
    put_markup_cell(r.message);
    put("</td>\r\n");
}

void write_csv(const Row& r) {
    const std::string_view cells[] = {r.line,    r.code,  r.employer, r.employee,
                                      r.element, r.value, r.expected, r.message};
    for (int i = 0; i < 8; ++i) {
        if (i > 0)
            put(";");
        put_csv_cell(cells[i]);
    }
    eol();
}

void write_txt(const Row& r) {
    // "%9s  %5s %9s  %9s %7s  %10s  %10s  %30s"
    put_right(r.line, 9);
    put("  ");
    put_right(r.code, 5);
    put(" ");
    put_right(r.employer, 9);
    put("  ");
    put_right(r.employee, 9);
    put(" ");
    put_right(r.element, 7);
    put("  ");
    put_right(r.value, 10);
    put("  ");
    put_right(r.expected, 10);
    put("  ");
    put_right(r.message, 30);
    eol();
}

void write_xml(const Row& r) {
    put("<Chyba>\r\n<Radek>");
    put_markup_cell(r.line);
    put("</Radek>\r\n<KodChyby>");
    put_markup_cell(r.code);
    put("</KodChyby>\r\n<Zamestnavatel>");
    put_markup_cell(r.employer);
    put("</Zamestnavatel>\r\n<Zamestnanec>");
    put_markup_cell(r.employee);
    put("</Zamestnanec>\r\n<Prvek>");
    put_markup_cell(r.element);
    put("</Prvek>\r\n<Hodnota>");
    put_markup_cell(r.value);
    put("</Hodnota>\r\n<DelkaHodn>");
    put_markup_cell(r.expected);
    put("</DelkaHodn>\r\n<Popis>");
    put_markup_cell(r.message);
    put("</Popis>\r\n</Chyba>\r\n");
}

// Writes a fixed report text given in UTF-8 as Windows-1250, "\n" as CR LF. The fixed texts are a few
// hundred bytes at most.
constexpr std::size_t kLongestText = 512;
void text(std::string_view utf8) {
    char buf[kLongestText];
    const std::size_t n = util::utf8_to_cp1250(utf8, buf, sizeof buf);
    out().text({buf, n});
}

} // namespace

int zpracuj_chybu(std::string_view line, std::string_view code, std::string_view element,
                  std::string_view value, std::string_view expected) {
    if (expected.size() > 60)
        expected = expected.substr(0, 60);
    const char weight = code.empty() ? ' ' : code[0];
    if (weight == 'W')
        ++sumchybW;
    else if (weight == 'E')
        ++sumchybE;
    if (weight == 'W' && sw_nepisW == 'A')
        return 0;

    const int row = find_code(code);
    if (row != kEndRow)
        ++EtabNum[row];
    if (!expected.empty() && expected[0] == '?')
        expected = EtabCek(row);

    const Row r{line, code, report::telicokod, report::identnec, element, value, expected, EtabTxt(row)};
    if (observer.finding != nullptr)
        observer.finding(observer.context, r);
    switch (sw_err) {
    case 'C':
        write_csv(r);
        break;
    case 'T':
        write_txt(r);
        break;
    case 'X':
        write_xml(r);
        break;
    default:
        write_html(r);
        break;
    }
    return 1;
}

void pis_zahlavi(std::string_view datetime, std::string_view file) {
    switch (sw_err) {
    case 'C':
        text("Radek;Chyba;Zamestnavatel;Zamestnanec;Prvek;Hodnota;Ocekavano;Popis\n");
        break;
    case 'T':
        text(" Datum a čas:   ");
        put(datetime);
        text("  Soubor:   ");
        put(file);
        text(" \n");
        text("C.radku  Chyba   ICO/Kod Zamestnanec  Prvek      Hodnota Ocekavano   Popis\n\n");
        break;
    case 'X':
        text("<?xml version = \"1.0\" encoding = \"Windows-1250\"?>");
        text("<ZPV_chyby>\n");
        text("<DatumCas>");
        put(datetime);
        text("</DatumCas>\n");
        text("<Soubor>");
        put_markup_cell(file);
        text("</Soubor>\n");
        break;
    default:
        text("<html>\n<head>\n");
        text("<META http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-1250\">\n");
        text("<title>ZPV - vysledky kontroly dat</title>\n</head>\n<body>\n");
        text("<table cellspacing=\"0\" cellpadding=\"2\" border=\"1\" width=100% >\n");
        text("<tr bgcolor=\"lightblue\" valign=\"left\">\n");
        text("<th width=15%> Datum a čas:  </th><th width=20%> ");
        put(datetime);
        text(" </th><th width=12%> Soubor:  </th><th width=38%> ");
        put_markup_cell(file);
        text(" </th><th width=15%>&nbsp");
        text(util::kVersion);
        text(" </th>\n");
        text("</table>\n");
        text("<table cellspacing=\"0\" cellpadding=\"2\" border=\"1\">\n");
        text("<tr bgcolor=\"lightblue\">\n");
        text("<th>Řádek<th>Chyba</th><th>Zaměstnavatel</th><th>Zaměstnanec</th><th>Prvek</th>"
             "<th>Hodnota</th><th>Očekáváno</th><th>Popis</th>\n");
        text("</tr>\n");
        break;
    }
}

void zpracuj_KONp(bool root_end_seen, bool last_root_without_employer) {
    // A document without a root end tag is not a ZPV document; one whose last root held no employer
    // block has nothing to check.
    if (!root_end_seen)
        zpracuj_chybu(report::s_cislo_radky, "ES306", kNoText, kNoText, kNoText);
    if (last_root_without_employer)
        zpracuj_chybu(report::s_cislo_radky, "ES308", kNoText, kNoText, kNoText);

    if (sw_err == 'H') {
        // The summary lists the codes in ascending byte order; equal codes keep their catalogue order.
        static int order[kEndRow];
        for (int i = 0; i < kEndRow; ++i)
            order[i] = i;
        std::stable_sort(order, order + kEndRow,
                         [](int a, int b) { return kCatalogue[a].code < kCatalogue[b].code; });
        text("</table>\n<table cellspacing=\"0\" cellpadding=\"2\" border=\"1\" >\n");
        text("<tr bgcolor=\"lightblue\">\n");
        text("<th width=10%> Chyba </th><th width=0%> Počet </th> <th width=80%> Popis chyby</th> </tr>\n");
        for (int k = 0; k < kEndRow; ++k) {
            const int i = order[k];
            if (EtabNum[i] <= 0)
                continue;
            const bool bold = kCatalogue[i].code[0] == 'E';
            put(bold ? "<tr>\r\n<td><b>&nbsp;" : "<tr>\r\n<td>&nbsp;");
            put_markup_cell(kCatalogue[i].code);
            put(bold ? "</b></td>\r\n<td>&nbsp;" : "</td>\r\n<td>&nbsp;");
            out().printf("%d", EtabNum[i]);
            put("</td>\r\n<td>&nbsp;");
            put_markup_cell(EtabTxt(i));
            put("</td>\r\n");
        }
    }

    switch (sw_err) {
    case 'C':
        out().printf("\nCelkem chyb vahy E:;%8d\n", sumchybE);
        out().printf("\nCelkem chyb vahy W:;%8d\n", sumchybW);
        break;
    case 'T':
        out().printf("\nCelkem chyb vahy E:%8d\n\nCelkem chyb vahy W:%8d\n", sumchybE, sumchybW);
        break;
    case 'X':
        out().printf("\n<CelkemchybE>%8d</CelkemchybE>\n<CelkemchybW>%8d</CelkemchybW>\n", sumchybE,
                     sumchybW);
        text("</ZPV_chyby>\n");
        break;
    default:
        text("</tr>\n</table>\n<table cellspacing=\"0\" cellpadding=\"2\" border=\"1\" >\n");
        text("<tr bgcolor=\"lightblue\">\n");
        text("<th width=50%> Celkem chyb </th><th width=20%> Počet </th> </tr>\n");
        text("<tr>\n<td>Váha E</td>\n<td>&nbsp;");
        out().printf("%d", sumchybE);
        text("</td>\n</tr>\n");
        text("<tr>\n<td>Váha W</td>\n<td>&nbsp;");
        out().printf("%d", sumchybW);
        text("</td>\n</tr>\n");
        text("\n</table></body>\n</html>\n");
        break;
    }
}

void set_observer(const Observer& o) {
    observer = o;
}

void file_started() {
    if (observer.file_start != nullptr)
        observer.file_start(observer.context, report::s_cislo_radky);
}

void reset() {
    observer = Observer{};
    reset_catalogue();
    reset_context();
    sw_err = 'H';
    sw_nepisW = 'N';
    sumchybE = 0;
    sumchybW = 0;
}

} // namespace report
