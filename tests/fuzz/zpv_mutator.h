// A document mutator that speaks ZPV: it cuts its input into tags, contents and comments as the tag scanner
// sees them, pairs start and end tags into elements, and changes the document at that level: whole fields
// and employee or employer blocks are inserted, deleted, duplicated, moved and swapped, values are replaced
// by values at a rule's edge (taken from the program's own rule tables and code lists), and the tags are
// given comments, empty forms, attributes, prefixes, other line ends and over-long names and contents.
#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace zpvfuzz {

// A piece of the document: a tag (from its '<' to its '>', or to the end of the input) or the text between.
struct Piece {
    enum Kind { Text, Start, End, Empty, Comment, Other } kind;
    std::size_t from, to;  // byte range [from, to)
    std::string_view name; // the tag's name (Start, End, Empty)
};

// A start tag and its matching end tag, or an empty-form tag.
struct Element {
    std::string_view name;
    std::size_t from, to;                 // the element with the blanks and line end before it
    std::size_t content_from, content_to; // between the tags; empty for an empty-form tag
    bool leaf;                            // no tag between its tags
    int depth;
};

struct Document {
    std::string_view bytes;
    std::vector<Piece> pieces;
    std::vector<Element> elements; // in the order of their start tags
};

Document parse(std::string_view bytes);

// Values at the edges of the element's rules: each length bound and one past it, each numeric bound and
// the nearest values beyond it, codes of its list and just outside it, dates at month ends. Empty for an
// element that is no field.
std::vector<std::string> edge_values(std::string_view element);

using Rng = std::mt19937;

// One structure-aware change of the document; empty when none was possible (the caller then falls back
// to byte mutation). The result may be longer than the input; the caller checks it against its limit.
std::string mutate(std::string_view document, Rng& rng);

// Puts an element (a field or a whole block) of `other` into `document`: after one of its elements or in
// place of one of the same name. Empty when either has no element.
std::string cross_over(std::string_view document, std::string_view other, Rng& rng);

} // namespace zpvfuzz
