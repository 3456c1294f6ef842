// A line number, counted as a number and written as decimal text only when a text of it is asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace util {

// The current line, or the line a field stood on. A line feed costs one increment, and a field's line
// one copy of a number: the decimal text is written only when a finding or a test reads it (and then
// kept until the number changes). Any other text can be assigned too (tests do, and a blank stands for
// "no line yet"); it is then kept as it is, up to 20 characters.
class LineNumber {
  public:
    LineNumber() = default;
    LineNumber(const LineNumber& other) { *this = other; }
    // The number, or the text it holds instead; the copy writes its own text when asked.
    LineNumber& operator=(const LineNumber& other) {
        n_ = other.n_;
        written_ = -1;
        if (n_ < 0) {
            for (int i = 0; i <= kDigits; ++i)
                d_[i] = other.d_[i];
            from_ = other.from_;
        }
        return *this;
    }

    void reset() {
        n_ = 1;
        written_ = -1;
    }
    void next() {
        if (n_ >= 0 && n_ < INT64_MAX)
            ++n_;
    }
    // A decimal number as its value (its text is then written the same again); any other text as it is.
    void assign(std::string_view v) {
        if (v.size() > kDigits)
            v = v.substr(0, kDigits);
        written_ = -1;
        if (is_plain_number(v)) {
            n_ = 0;
            for (const char c : v)
                n_ = n_ * 10 + (c - '0');
            return;
        }
        n_ = -1;
        from_ = kDigits - static_cast<int>(v.size());
        for (std::size_t i = 0; i < v.size(); ++i)
            d_[from_ + static_cast<int>(i)] = v[i];
        d_[kDigits] = '\0';
    }
    void clear() { assign({}); }

    std::string_view view() const {
        if (n_ >= 0 && written_ != n_)
            write();
        return {d_ + from_, static_cast<std::size_t>(kDigits - from_)};
    }
    operator std::string_view() const { return view(); }
    friend bool operator==(const LineNumber& a, std::string_view b) { return a.view() == b; }
    static constexpr std::size_t capacity() { return kDigits; }

  private:
    static constexpr int kDigits = 20;

    // Digits without a leading zero (or "0" itself), few enough for a 64-bit number.
    static bool is_plain_number(std::string_view v) {
        if (v.empty() || v.size() > 18 || (v[0] == '0' && v.size() > 1))
            return false;
        for (const char c : v)
            if (c < '0' || c > '9')
                return false;
        return true;
    }
    void write() const {
        std::int64_t v = n_;
        int i = kDigits;
        d_[kDigits] = '\0';
        do {
            d_[--i] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v != 0);
        from_ = i;
        written_ = n_;
    }

    std::int64_t n_ = -1;               // the number, or -1 when the text below is what is held
    mutable std::int64_t written_ = -1; // the number whose text d_ holds
    mutable char d_[kDigits + 1] = {};
    mutable int from_ = kDigits;
};

} // namespace util
