// Properties that every run of the validator must have, whatever the document: the fuzzer checks them on
// every input and the tests on the end-to-end documents.
//
// - formats: the findings read back from the HTML, CSV and XML reports are equal cell for cell, the TXT
//   report has as many rows, and all four reports have the same totals;
// - -w: the report of a run with -w is the full report without its W rows (and, in HTML, without the W
//   rows of the per-code summary), byte for byte, totals included;
// - lists: a document cut into two files read as a list gives the report and echo file of the whole
//   document, apart from the file name in the report's header;
// - numbers: the short way of converting a field's text and the general conversion agree on every text
//   between a '>' and the next '<', in value (bit for bit) and in whether it is a number.
//
// Each check returns an empty text when the property holds, else what differs.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zpvprops {

// One finding row (eight cells), or one row of the HTML summary (code, count, description), as written:
// cells with the report's escapes still in them; `from`/`to` is the row's byte range in the report.
struct Row {
    std::vector<std::string> cells;
    std::size_t from = 0, to = 0;
};

struct Report {
    std::vector<Row> findings;
    std::vector<Row> summary; // HTML only
    std::string total_e, total_w;
    bool complete = false; // the report ended as a report of that format ends
};

// Reads a report of the format 'H', 'C', 'X' or 'T' back into its rows. TXT rows carry one cell, the code.
Report parse(std::string_view report, char format);

// The four reports of one document: their findings and totals agree.
std::string formats_agree(std::string_view html, std::string_view csv, std::string_view xml,
                          std::string_view txt);

// The full report with its W rows taken out, which a run with -w must give.
std::string without_w(std::string_view report, char format);

// The report with the input file name of its header replaced (the header of a run over a list names the
// list's first file).
std::string renamed(std::string_view report, char format, std::string_view name, std::string_view as);

// The field texts of a document (every text between a '>' and the next '<', as it stands and without its
// leading blanks, as the walk takes a content) converted both ways, as a real and as an integer.
std::string numbers_agree(std::string_view document);

// Runs of the real program in a folder of its own, for the properties that need files and switches. The
// folder is named as given ("" for the working folder): a report name's format is the text after its
// first '.', so the folder's name must hold none.
class Runner {
  public:
    explicit Runner(const std::filesystem::path& dir);
    // The report (and echo, when `echo` is given) of `document` with the arguments given.
    int run(std::string_view document, char format, bool no_w, std::string* report,
            std::string* echo = nullptr);
    // The same for the document cut at `cut` into two files read as a list.
    int run_list(std::string_view document, std::size_t cut, char format, std::string* report,
                 std::string* echo = nullptr);
    std::string document_name() const;   // the name the header of run() carries
    std::string first_part_name() const; // the name the header of run_list() carries

  private:
    std::filesystem::path dir_;
};

// Checks the properties on one document: the four formats, -w in every format given, and one cut into a
// list at `cut`. `formats` are the ones the -w and list checks run in (the fuzzer takes fewer than the
// tests).
std::string check_document(std::string_view document, Runner& runner, std::size_t cut,
                           std::string_view formats);

} // namespace zpvprops
