// The table of explanations (docs/vysvetleni.txt): its entries, and the example edits that turn the base
// document examples/zpv.xml into a document that raises a code, or into its corrected variant.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace explanations {

// One "key: value" of an entry; continuation lines join the value with '\n', each without its indent.
struct Field {
    std::string key;
    std::string value;
    int line = 0; // line of the key in the table
};

struct Entry {
    std::string code;
    int line = 0; // line of "== CODE"
    std::vector<Field> fields;

    // The value of the first field with this key, or "" when there is none.
    std::string value(std::string_view key) const;
    bool has(std::string_view key) const;
    // Every field with this key, in table order.
    std::vector<const Field*> all(std::string_view key) const;
};

struct Table {
    std::vector<Entry> entries;
    // What cannot be read: a line outside any entry, an unknown key, a repeated code. Each names its line.
    std::vector<std::string> errors;
};

// The keys an entry may use.
inline constexpr std::string_view kKeys[] = {"nazev",   "kontroluje", "meze",      "konstanty",
                                             "hlaseni", "pricina",    "naprava",   "priklad",
                                             "chyba",   "opraveno",   "nevyvolava"};

Table parse(std::string_view utf8);
Table read_table(); // docs/vysvetleni.txt of the source tree

// One edit: the first occurrence of `from` (after the first occurrence of `anchor`, when there is one)
// becomes `to`. Texts are UTF-8 as written in the table.
struct Edit {
    std::string anchor;
    std::string from;
    std::string to;
    std::string source; // the edit as written, for messages
};

// The edits of one "chyba:" or "opraveno:" value; "" or what is wrong with the text.
std::string parse_edits(std::string_view value, std::vector<Edit>& out);

// Applies the edits in order to a Windows-1250 document; each edit's texts are converted first and a
// "\n" in them stands for the document's line end (CR LF). Returns "" or which edit did not match.
std::string apply_edits(std::string& document, const std::vector<Edit>& edits);

// The base document's bytes (examples/zpv.xml).
const std::string& base_document();

// The program's sources (the validator's folders; the catalogue left out) and every string literal of a
// code in them: where the program raises that code.
struct Literal {
    std::string code;
    int file = 0; // index into files
    int line = 0; // 0-based
};
struct Sources {
    std::vector<std::string> files; // relative to the source tree
    std::vector<std::vector<std::string>> lines;
    std::vector<Literal> literals;
};
const Sources& sources();

// The numbers in a text of C++: decimal literals that do not belong to a name (AA0131 gives none).
std::vector<double> numbers_in(std::string_view code);

// The numbers of the statement(s) that raise a code: the lines from a few before each literal of the code
// to the end of its statement, and the values of the named constants used there.
std::vector<double> numbers_near(const std::string& code);

// The meaning of each field (docs/vysvetleni-pole.txt), for the generated entries of the single-field codes.
struct FieldMeaning {
    std::string elem;
    std::string meaning;
    std::string related;   // codes of the field's further checks, separated by blanks
    std::string bad_value; // the example's value, when the generator's own choice would read badly
    std::string note;      // one more sentence of the explanation
};
std::vector<FieldMeaning> read_field_meanings(std::vector<std::string>& errors);

// The entries of the codes that the per-field check raises for one field (the ES and WS codes of the
// field rule tables), made from the tables and the meanings: the text between the two marker lines below
// in docs/vysvetleni.txt.
std::string field_entries(const std::vector<FieldMeaning>& meanings, std::vector<std::string>& errors);
inline constexpr std::string_view kGeneratedStart =
    "# ---- Generované záznamy: z tabulek polí programu a docs/vysvetleni-pole.txt (VALIX_KODY_ZAPIS=1) ----";
inline constexpr std::string_view kGeneratedEnd = "# ---- Konec generovaných záznamů ----";

} // namespace explanations
