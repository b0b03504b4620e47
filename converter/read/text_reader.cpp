#include "read/text_reader.hpp"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "run/failure.hpp"

namespace cellplot {
namespace {

constexpr std::size_t chunk_size = std::size_t{1} << 20;
// A single value may not be longer than this; a longer one is refused.
constexpr std::size_t max_token = std::size_t{1} << 16;

enum CharClass : unsigned char { value_char = 0, separator = 1, star = 2 };

constexpr std::array<unsigned char, 256> make_classes()
{
    std::array<unsigned char, 256> t{};
    for (unsigned char c : {' ', '\t', '\r', '\n', ',', '/'})
        t[c] = separator;
    t['*'] = star;
    return t;
}
constexpr std::array<unsigned char, 256> classes = make_classes();

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

bool equals_nocase(const char* b, const char* e, const char* word)
{
    for (; b != e; ++b, ++word) {
        if (*word == '\0')
            return false;
        char c = *b;
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != *word)
            return false;
    }
    return *word == '\0';
}

// The rarer spellings of a real: a leading "+", an exponent letter D, Q or a
// lower-case one, or an exponent with a sign and no letter.  Rewrites the
// token as [-]digits[.digits]e[sign]digits and converts that, correctly
// rounded; values beyond the range of a double become infinities or zero as
// a Fortran READ gives them.
bool parse_real_slow(const char* b, const char* e, double& v)
{
    std::string s;
    s.reserve(static_cast<std::size_t>(e - b) + 2);
    if (b != e && (*b == '+' || *b == '-')) {
        if (*b == '-')
            s += '-';
        ++b;
    }
    if (equals_nocase(b, e, "inf") || equals_nocase(b, e, "infinity")) {
        v = s.empty() ? HUGE_VAL : -HUGE_VAL;
        return true;
    }
    if (equals_nocase(b, e, "nan")) {
        v = std::nan("");
        return true;
    }
    std::size_t digits = 0;
    while (b != e && is_digit(*b)) {
        s += *b++;
        ++digits;
    }
    if (b != e && *b == '.') {
        s += *b++;
        while (b != e && is_digit(*b)) {
            s += *b++;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (b != e) {
        char c = *b;
        if (c == 'e' || c == 'E' || c == 'd' || c == 'D' || c == 'q' || c == 'Q')
            ++b;
        else if (c != '+' && c != '-')
            return false;
        s += 'e';
        if (b != e && (*b == '+' || *b == '-'))
            s += *b++;
        if (b == e)
            return false;
        for (; b != e; ++b) {
            if (!is_digit(*b))
                return false;
            s += *b;
        }
    }
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec == std::errc::result_out_of_range) {
        v = std::strtod(s.c_str(), nullptr);  // gives +-HUGE_VAL or the underflowed value
        return true;
    }
    return ec == std::errc{} && ptr == s.data() + s.size();
}

bool parse_real(const char* b, const char* e, double& v)
{
    auto [ptr, ec] = std::from_chars(b, e, v);
    if (ec == std::errc{} && ptr == e)
        return true;
    return parse_real_slow(b, e, v);
}

bool parse_integer(const char* b, const char* e, std::int32_t& v)
{
    bool negative = false;
    if (b != e && (*b == '+' || *b == '-')) {
        negative = *b == '-';
        ++b;
    }
    if (b == e)
        return false;
    std::uint64_t magnitude = 0;
    for (const char* p = b; p != e; ++p) {
        if (!is_digit(*p))
            return false;
        magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
        if (magnitude > std::uint64_t{1} << 31)
            return false;
    }
    if (!negative && magnitude > INT32_MAX)
        return false;
    v = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                 : static_cast<std::int32_t>(magnitude);
    return true;
}

// The end of the value that starts at p, when a blank, tab, line end or
// comma ends it within 32 bytes; nullptr otherwise (a repeat count, a slash
// or a longer value).  The caller keeps 32 bytes of data after p.
const char* value_end(const char* p)
{
#if defined(__SSE2__)
    for (int half = 0; half < 2; ++half, p += 16) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i ends =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(c, _mm_set1_epi8(' ')),
                                      _mm_cmpeq_epi8(c, _mm_set1_epi8('\n'))),
                         _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(c, _mm_set1_epi8(',')),
                                                   _mm_cmpeq_epi8(c, _mm_set1_epi8('\t'))),
                                      _mm_cmpeq_epi8(c, _mm_set1_epi8('\r'))));
        const __m128i odd = _mm_or_si128(_mm_cmpeq_epi8(c, _mm_set1_epi8('*')),
                                         _mm_cmpeq_epi8(c, _mm_set1_epi8('/')));
        const unsigned end_mask = static_cast<unsigned>(_mm_movemask_epi8(ends));
        const unsigned odd_mask = static_cast<unsigned>(_mm_movemask_epi8(odd));
        if (end_mask | odd_mask) {
            const unsigned first_end =
                end_mask ? static_cast<unsigned>(__builtin_ctz(end_mask)) : 16;
            const unsigned first_odd =
                odd_mask ? static_cast<unsigned>(__builtin_ctz(odd_mask)) : 16;
            return first_end < first_odd ? p + first_end : nullptr;
        }
    }
    return nullptr;
#else
    for (int k = 0; k < 32; ++k, ++p) {
        unsigned char cls = classes[static_cast<unsigned char>(*p)];
        if (cls == star || *p == '/')
            return nullptr;
        if (cls == separator)
            return p;
    }
    return nullptr;
#endif
}

}  // namespace

TextReader::TextReader(ByteSource& source) : source_(source), buf_(new char[chunk_size + max_token])
{
    pos_ = end_ = buf_.get();
}

// Keeps [keep_from, end_) at the front of the buffer and reads more after it.
bool TextReader::fill(std::size_t keep_from)
{
    if (at_eof_)
        return false;
    char* base = buf_.get();
    std::size_t kept = static_cast<std::size_t>(end_ - base) - keep_from;
    if (kept >= max_token)
        refuse("a value longer than " + std::to_string(max_token) + " characters");
    std::memmove(base, base + keep_from, kept);
    std::size_t room = chunk_size + max_token - kept;
    std::size_t got = source_.read(base + kept, room);
    if (got == 0)
        at_eof_ = true;
    std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(keep_from);
    pos_ -= shift;
    if (tok_)
        tok_ -= shift;
    end_ = base + kept + got;
    return got != 0;
}

void TextReader::refuse(const std::string& cause) const
{
    fail(source_.name(), "line " + std::to_string(line_) + ": " + cause);
}

std::string TextReader::token_text() const
{
    // At most 40 characters of message, escapes included.
    constexpr std::size_t shown = 40;
    std::string text;
    for (const char* p = tok_; p < tok_end_; ++p) {
        const std::string c = escaped(std::string_view(p, 1), true);
        if (text.size() + c.size() > shown)
            return text + "...";
        text += c;
    }
    return text;
}

void TextReader::begin_record(int number, std::int64_t)
{
    record_ = number;
    values_read_ = 0;
    got_value_ = false;
    comma_seen_ = true;  // a comma before the first value would make it null
    repeat_left_ = 0;
    tok_ = tok_end_ = nullptr;
}

void TextReader::next_token(const char* what)
{
    if (repeat_left_ > 0) {
        --repeat_left_;
        return;
    }
    tok_ = nullptr;
    for (;;) {
        while (pos_ < end_) {
            char c = *pos_;
            if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ',') {
                if (comma_seen_)
                    refuse("empty value in record " + std::to_string(record_) +
                           " (two commas in a row are not supported)");
                comma_seen_ = true;
                ++pos_;
            } else if (c == '/') {
                refuse("a slash ends record " + std::to_string(record_) + " early (not supported)");
            } else {
                goto value;
            }
        }
        if (!fill(static_cast<std::size_t>(end_ - buf_.get())))
            fail(source_.name(), "ends in record " + std::to_string(record_) + " after " +
                                     std::to_string(values_read_) + " values; " + what +
                                     " expected");
    }
value:
    tok_ = pos_;
    const char* star_at = nullptr;
    for (;;) {
        while (pos_ < end_) {
            unsigned char cls = classes[static_cast<unsigned char>(*pos_)];
            if (cls == value_char) {
                ++pos_;
            } else if (cls == star && !star_at) {
                star_at = pos_++;
            } else if (cls == star) {
                ++pos_;
            } else {
                goto done;
            }
        }
        const char* old = tok_;
        if (!fill(static_cast<std::size_t>(tok_ - buf_.get())))
            break;
        if (star_at)
            star_at -= old - tok_;
    }
done:
    tok_end_ = pos_;
    comma_seen_ = false;
    if (star_at) {
        std::int32_t count = 0;
        if (!parse_integer(tok_, star_at, count) || count <= 0 || tok_[0] == '+' || tok_[0] == '-')
            refuse("cannot read '" + token_text() + "' as " + what);
        if (star_at + 1 == tok_end_)
            refuse("empty value in record " + std::to_string(record_) + " ('" + token_text() +
                   "' repeats a null value; not supported)");
        tok_ = star_at + 1;
        repeat_left_ = count - 1;
    }
}

std::int32_t TextReader::integer()
{
    next_token("an integer");
    std::int32_t v;
    if (!parse_integer(tok_, tok_end_, v))
        refuse("cannot read '" + token_text() + "' as an integer");
    ++values_read_;
    got_value_ = true;
    return v;
}

double TextReader::real()
{
    next_token("a real");
    double v;
    if (!parse_real(tok_, tok_end_, v))
        refuse("cannot read '" + token_text() + "' as a real");
    ++values_read_;
    got_value_ = true;
    return v;
}

void TextReader::integers(std::int32_t* dst, std::int64_t n)
{
    for (std::int64_t i = 0; i < n; ++i)
        dst[i] = integer();
}

// The common case of a long record: values separated by blanks and single
// line ends, well inside the buffer.  Each is found with one or two 16-byte
// compares and converted straight from the buffer; anything else (commas,
// repeat counts, blank lines, a value near the end of the buffer, a value
// that does not convert) is left to the general path, from the same place.
void TextReader::reals(double* dst, std::int64_t n)
{
    constexpr std::ptrdiff_t lookahead = 2 * 16;
    for (std::int64_t i = 0; i < n; ++i) {
        const char* p = pos_;
        if (repeat_left_ == 0 && end_ - p > lookahead + 2) {
            while (p < end_ && *p == ' ')
                ++p;
            if (p < end_ && *p == '\n') {
                ++line_;
                ++p;
                while (p < end_ && *p == ' ')
                    ++p;
            }
            pos_ = p;
            const char* e;
            if (end_ - p > lookahead && classes[static_cast<unsigned char>(*p)] == value_char &&
                (e = value_end(p)) != nullptr) {
                auto [ptr, ec] = std::from_chars(p, e, dst[i]);
                if (ec == std::errc{} && ptr == e) {
                    pos_ = e;
                    comma_seen_ = false;
                    got_value_ = true;
                    ++values_read_;
                    continue;
                }
            }
        }
        dst[i] = real();
    }
}

bool TextReader::at_end()
{
    return pos_ == end_ && !fill(static_cast<std::size_t>(end_ - buf_.get()));
}

void TextReader::end_record()
{
    repeat_left_ = 0;
    if (!got_value_ && pos_ == end_ && !fill(static_cast<std::size_t>(end_ - buf_.get())))
        fail(source_.name(), "ends before record " + std::to_string(record_));
    for (;;) {
        const char* nl = static_cast<const char*>(
            std::memchr(pos_, '\n', static_cast<std::size_t>(end_ - pos_)));
        if (nl) {
            pos_ = nl + 1;
            ++line_;
            return;
        }
        pos_ = end_;
        if (!fill(static_cast<std::size_t>(end_ - buf_.get())))
            return;  // the last line lacks its line feed
    }
}

}  // namespace cellplot
