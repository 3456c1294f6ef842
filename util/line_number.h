// A line number as decimal text, counted up in place.
#pragma once

#include <cstddef>
#include <string_view>

namespace util {

// The current line as decimal text. It is counted up in place, digit by digit, so that a line feed costs
// no formatting and no copy: the text is the tail of a buffer of digits.
class LineNumber {
  public:
    void reset() { assign("1"); }
    void next() {
        int i = kDigits - 1;
        while (d_[i] == '9')
            d_[i--] = '0';
        ++d_[i];
        if (i < from_)
            from_ = i;
    }
    // Any text (tests set one); up to kDigits characters of it.
    void assign(std::string_view v) {
        if (v.size() > kDigits)
            v = v.substr(0, kDigits);
        for (int i = 0; i < kDigits; ++i)
            d_[i] = '0';
        from_ = kDigits - static_cast<int>(v.size());
        for (std::size_t i = 0; i < v.size(); ++i)
            d_[from_ + static_cast<int>(i)] = v[i];
        d_[kDigits] = '\0';
    }
    void clear() { assign({}); }
    // The line of a field is a copy of the current line: a copy of the whole, a few word moves with no
    // branch, is cheaper than measuring and copying its digits, and it is taken for every field.
    void assign_digits(const LineNumber& line) { *this = line; }
    std::string_view view() const { return {d_ + from_, static_cast<std::size_t>(kDigits - from_)}; }
    operator std::string_view() const { return view(); }
    friend bool operator==(const LineNumber& a, std::string_view b) { return a.view() == b; }
    static constexpr std::size_t capacity() { return kDigits; }

  private:
    static constexpr int kDigits = 20;
    char d_[kDigits + 1];
    int from_ = kDigits;
};

} // namespace util
