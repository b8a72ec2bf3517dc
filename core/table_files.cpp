#include "table_files.h"

#include "checked_size.h"
#include "file_access.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace kolven {

static_assert(std::endian::native == std::endian::little, "the .msd matrix is the little-endian bytes of the floats");

namespace {

bool isTokenChar(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x21 && byte <= 0x7A;
}

bool startsComment(const char* position, const char* end)
{
    return end - position >= 2 && position[0] == '/' && position[1] == '/';
}

// Skips a comment that runs up to and including the next line feed, or to the end of the text.
const char* skipLine(const char* position, const char* end)
{
    const char* lineFeed = std::find(position, end, '\n');
    return lineFeed == end ? end : lineFeed + 1;
}

bool allFinite(const std::vector<float>& matrix)
{
    return std::all_of(matrix.begin(), matrix.end(), [](float v) { return std::isfinite(v); });
}

// Appends the decimal digits at p to mantissa, as long as they last and digits stays below 19,
// advancing p and counting them in digits. Where eight bytes can be read, a run of up to eight
// digits is found and converted at once in one 64-bit word; the digits and their value are the
// same as one by one.
[[gnu::always_inline]] inline void appendDigits(const char*& p, const char* last, std::uint64_t& mantissa, int& digits)
{
    static constexpr std::uint64_t kTens[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0;
    constexpr std::uint64_t kZeros = 0x3030303030303030;
    if (last - p >= 8 && digits <= 11) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, 8);
        // A byte is a digit when its high half is 3 and stays 3 once 6 is added. A carry out of a
        // byte at or above 0xFA can only spoil the bytes after that byte, which is no digit.
        const std::uint64_t notDigit = ((word & kHigh) ^ kZeros) | (((word + 0x0606060606060606) & kHigh) ^ kZeros);
        const int run = notDigit == 0 ? 8 : std::countr_zero(notDigit) / 8;
        if (run == 0) {
            return;
        }
        // The first character is the lowest byte: shifted to the top, the run reads as eight
        // digits with leading zeros, combined in pairs, fours and eights.
        std::uint64_t value = (word << (8 * (8 - run))) & 0x0F0F0F0F0F0F0F0F;
        value = (value * ((10 << 8) + 1)) >> 8 & 0x00FF00FF00FF00FF;
        value = (value * ((100 << 16) + 1)) >> 16 & 0x0000FFFF0000FFFF;
        value = (value * ((std::uint64_t(10000) << 32) + 1)) >> 32;
        mantissa = mantissa * kTens[run] + value;
        digits += run;
        p += run;
        if (run < 8) {
            return;
        }
    }
    for (std::uint64_t d = 0; p != last && (d = std::uint64_t(static_cast<unsigned char>(*p)) - '0') <= 9 && digits < 19;
         ++p, ++digits) {
        mantissa = mantissa * 10 + d;
    }
}

// The common case of a table's number, "123" or "123.456" (digits, a point and digits) ending
// the text or followed by anything but a point or an exponent: read exactly without the general
// parser. Its digits as a whole number below 2^53 and a power of ten up to 10^22 are both exact
// doubles, so their quotient is the correctly rounded value, the one from_chars gives. Nothing
// for any other text, which from_chars reads. Inlined into the readers' loops, where it reads
// nearly every value of a large table.
[[gnu::always_inline]] inline std::optional<std::pair<double, const char*>> plainDecimal(const char* first, const char* last)
{
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr std::uint64_t kExact = std::uint64_t(1) << 53;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const char* p = first;
    std::uint64_t mantissa = 0;
    int digits = 0;
    appendDigits(p, last, mantissa, digits);
    if (digits == 0) {
        return std::nullopt;
    }
    int fraction = 0;
    if (p != last && *p == '.') {
        const char* point = ++p;
        appendDigits(p, last, mantissa, digits);
        fraction = int(p - point);
        if (fraction == 0) {
            return std::nullopt;
        }
    }
    if ((p != last && (digit(*p) || *p == '.' || *p == 'e' || *p == 'E')) || mantissa >= kExact || fraction > 22) {
        return std::nullopt;
    }
    return std::pair{double(mantissa) / kPowers[fraction], p};
}

// Walks the tokens of a .tab text. A token that reaches the last byte of the text is an error:
// every token the reader examines must be followed by a separator or a comment.
// Where the text of a table read a block at a time comes from: blocks of a regular file, each but
// the last ending with a line feed, so that no token and no comment lies across two blocks.
class TabBlocks {
public:
    TabBlocks(InputReader& input, std::size_t blockSize) : input_(input), buffer_(std::max<std::size_t>(blockSize, 1)) {}

    // The next block into begin .. end; false at the end of the input or when it cannot be read.
    bool next(const char*& begin, const char*& end);
    // The bytes of the file not yet handed out in a block, by its size when it was opened.
    std::uint64_t unread() const
    {
        const std::uint64_t size = input_.regularSize().value_or(0);
        return size > handedOut_ ? size - handedOut_ : 0;
    }

private:
    // Reads until the buffer is full or the input ends; false when it cannot be read.
    bool fill();

    InputReader& input_;
    std::vector<char> buffer_;
    std::size_t filled_ = 0;      // bytes read into buffer_
    std::size_t lastBlock_ = 0;   // bytes of buffer_ handed out as the last block
    std::uint64_t handedOut_ = 0; // bytes handed out in all blocks
    bool ended_ = false;
};

bool TabBlocks::fill()
{
    while (!ended_ && filled_ < buffer_.size()) {
        const long long got = input_.read(buffer_.data() + filled_, buffer_.size() - filled_);
        if (got < 0) {
            return false;
        }
        ended_ = got == 0;
        filled_ += std::size_t(got);
    }
    return true;
}

bool TabBlocks::next(const char*& begin, const char*& end)
{
    // What followed the last block's final line feed moves to the front.
    std::memmove(buffer_.data(), buffer_.data() + lastBlock_, filled_ - lastBlock_);
    filled_ -= lastBlock_;
    lastBlock_ = 0;
    std::size_t searched = 0; // no line feed before this place
    for (;;) {
        if (!fill()) {
            return false;
        }
        if (ended_) {
            lastBlock_ = filled_;
            break;
        }
        const auto from = std::make_reverse_iterator(buffer_.begin() + std::ptrdiff_t(filled_));
        const auto to = std::make_reverse_iterator(buffer_.begin() + std::ptrdiff_t(searched));
        if (const auto lineFeed = std::find(from, to, '\n'); lineFeed != to) {
            lastBlock_ = std::size_t(lineFeed.base() - buffer_.begin());
            break;
        }
        // A line longer than the block: the block grows until the line ends.
        searched = filled_;
        buffer_.resize(buffer_.size() * 2);
    }
    if (lastBlock_ == 0) {
        return false;
    }
    begin = buffer_.data();
    end = buffer_.data() + lastBlock_;
    handedOut_ += lastBlock_;
    return true;
}

class TabScanner {
public:
    explicit TabScanner(std::string_view text) : position_(text.data()), end_(text.data() + text.size()) {}
    // A text read from blocks, the first asked for at once.
    explicit TabScanner(TabBlocks& blocks) : blocks_(&blocks) { refill(); }

    // The next token, skipping "%" comments when percentComments is set. False at the end of the
    // text or at a token that runs up to it.
    bool next(std::string_view& token, bool percentComments)
    {
        for (;;) {
            position_ = findTokenStart(position_, end_);
            if (position_ == end_) {
                if (refill()) {
                    continue;
                }
                return false;
            }
            if (percentComments && *position_ == '%') {
                position_ = skipLine(position_, end_);
                continue;
            }
            const std::size_t length = tokenLength(position_, end_);
            if (length == 0) {
                return false;
            }
            token = std::string_view(position_, length);
            position_ += length;
            return true;
        }
    }

    bool findKeyword(std::string_view keyword)
    {
        std::string_view token;
        while (next(token, true)) {
            if (token == keyword) {
                return true;
            }
        }
        return false;
    }

    // The count after a keyword: only separators and "//" comments stand between them.
    bool readCount(long long& count)
    {
        std::string_view token;
        if (!next(token, false)) {
            return false;
        }
        count = parseCount(token);
        return true;
    }

    std::uint64_t remaining() const
    {
        return std::uint64_t(end_ - position_) + (blocks_ != nullptr ? blocks_->unread() : 0);
    }

    // The next token when it is a plain decimal (see plainDecimal) with an optional sign and is
    // followed by a separator or a comment: its value, read in one pass over its characters. For
    // any other token, false, the scanner left before it for next() and scanNumber, which read it
    // to the same value.
    bool nextPlain(double& value)
    {
        while (position_ != end_ && !isTokenChar(*position_)) {
            ++position_;
        }
        const char* first = position_;
        if (first != end_ && (*first == '-' || *first == '+')) {
            ++first;
        }
        const auto quick = plainDecimal(first, end_);
        if (!quick || quick->second == end_ || (isTokenChar(*quick->second) && !startsComment(quick->second, end_))) {
            return false;
        }
        value = *position_ == '-' ? -quick->first : quick->first;
        position_ = quick->second;
        return true;
    }

private:
    // Moves to the next block, if the text comes in blocks and one is left.
    bool refill() { return blocks_ != nullptr && blocks_->next(position_, end_); }

    TabBlocks* blocks_ = nullptr;
    const char* position_ = nullptr;
    const char* end_ = nullptr;
};

} // namespace

const char* findTokenStart(const char* position, const char* end)
{
    while (position != end) {
        if (startsComment(position, end)) {
            position = skipLine(position, end);
        } else if (isTokenChar(*position)) {
            return position;
        } else {
            ++position;
        }
    }
    return end;
}

std::size_t tokenLength(const char* position, const char* end)
{
    const char* cursor = position;
    while (cursor != end && isTokenChar(*cursor) && !startsComment(cursor, end)) {
        ++cursor;
    }
    return cursor == end ? 0 : std::size_t(cursor - position);
}

long long parseCount(std::string_view token)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    long long count = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
        const int digit = token[i] - '0';
        count = count > (std::numeric_limits<long long>::max() - digit) / 10 ? std::numeric_limits<long long>::max()
                                                                              : count * 10 + digit;
    }
    return negative ? -count : count;
}

NumberScan scanNumber(std::string_view token)
{
    bool negative = false;
    std::size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    const char* first = token.data() + i;
    const char* last = token.data() + token.size();
    // The sign is taken above; from_chars must not see a second one.
    if (first == last || *first == '-' || *first == '+') {
        return {};
    }
    double value = 0.0;
    if (const auto quick = plainDecimal(first, last)) {
        return {negative ? -quick->first : quick->first, true, std::size_t(quick->second - token.data())};
    }
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) {
        return {};
    }
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond the range of a double: too large reads as infinity, too small as zero.
        const char* exponent = std::find_if(first, result.ptr, [](char c) { return c == 'e' || c == 'E'; });
        const bool tiny = exponent != result.ptr && exponent + 1 != result.ptr && exponent[1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return {negative ? -value : value, true, std::size_t(result.ptr - token.data())};
}

NumberScan scanPlainDecimal(std::string_view text)
{
    const char* first = text.data();
    const char* last = first + text.size();
    const bool negative = first != last && *first == '-';
    first += first != last && (*first == '-' || *first == '+') ? 1 : 0;
    const auto quick = plainDecimal(first, last);
    if (!quick) {
        return {};
    }
    return {negative ? -quick->first : quick->first, true, std::size_t(quick->second - text.data())};
}

double parseValue(std::string_view token)
{
    return scanNumber(token).value;
}

bool isWholeNumber(std::string_view token)
{
    const NumberScan scan = scanNumber(token);
    return scan.found && scan.length == token.size();
}

namespace {

bool parseTabFrom(TabScanner& scanner, SystemDecyzyjny& target, std::uint64_t* nonNumericValues)
{
    long long columns = 0;
    long long objects = 0;
    if (!scanner.findKeyword("ATTRIBUTES") || !scanner.readCount(columns)) {
        return false;
    }
    if (!scanner.findKeyword("OBJECTS") || !scanner.readCount(objects)) {
        return false;
    }
    if (columns < 1 || objects < 1 || columns > UINT32_MAX || objects > UINT32_MAX) {
        return false;
    }
    // Each value needs a character and a separator: a file too short for its counts is refused
    // before anything is allocated for them.
    const std::uint64_t needed = checkedProduct({std::uint64_t(objects), std::uint64_t(columns)});
    if (needed > scanner.remaining() / 2 || needed > UINT32_MAX) {
        return false;
    }

    std::vector<float> matrix(needed);
    std::string_view token;
    std::uint64_t withoutNumber = 0;
    for (float& value : matrix) {
        // A plain decimal, a table's usual value, is always finite as a float.
        double plain = 0.0;
        if (scanner.nextPlain(plain)) {
            value = static_cast<float>(plain);
            continue;
        }
        if (!scanner.next(token, true)) {
            return false;
        }
        const NumberScan scan = scanNumber(token);
        withoutNumber += scan.found ? 0 : 1;
        value = static_cast<float>(scan.value);
        if (!std::isfinite(value)) {
            return false;
        }
    }
    if (nonNumericValues != nullptr) {
        *nonNumericValues = withoutNumber;
    }
    target.installValues(static_cast<std::uint32_t>(objects), static_cast<std::uint32_t>(columns - 1), std::move(matrix));
    return true;
}

} // namespace

bool parseTab(std::string_view text, SystemDecyzyjny& target, std::uint64_t* nonNumericValues)
{
    TabScanner scanner(text);
    return parseTabFrom(scanner, target, nonNumericValues);
}

bool readTabInput(InputReader& input, SystemDecyzyjny& target, std::uint64_t* nonNumericValues, std::size_t blockSize)
{
    if (!input.regularSize()) {
        std::string text;
        return input.readAll(text) == InputProblem::None && parseTab(text, target, nonNumericValues);
    }
    TabBlocks blocks(input, blockSize);
    TabScanner scanner(blocks);
    return parseTabFrom(scanner, target, nonNumericValues) && input.problem() == InputProblem::None;
}

bool readTab(const std::filesystem::path& path, SystemDecyzyjny& target)
{
    InputReader input;
    return input.open(path) == InputProblem::None && readTabInput(input, target);
}

bool parseMsd(std::string_view bytes, SystemDecyzyjny& target)
{
    if (bytes.size() < 8) {
        return false;
    }
    std::uint32_t objects = 0;
    std::uint32_t attributes = 0;
    std::memcpy(&objects, bytes.data(), 4);
    std::memcpy(&attributes, bytes.data() + 4, 4);
    const std::uint64_t columns = std::uint64_t(attributes) + 1;
    std::uint64_t count = 0;
    std::uint64_t payload = 0;
    if (objects == 0 || __builtin_mul_overflow(std::uint64_t(objects), columns, &count) ||
        __builtin_mul_overflow(count, std::uint64_t(4), &payload) || count > UINT32_MAX || payload != bytes.size() - 8) {
        return false;
    }
    std::vector<float> matrix(count);
    std::memcpy(matrix.data(), bytes.data() + 8, payload);
    if (!allFinite(matrix)) {
        return false;
    }
    target.installValues(objects, attributes, std::move(matrix));
    return true;
}

bool readMsd(const std::filesystem::path& path, SystemDecyzyjny& target)
{
    std::string bytes;
    return readInput(path, bytes) == InputProblem::None && parseMsd(bytes, target);
}

std::string nonNumericWarning(std::uint64_t count)
{
    return std::to_string(count) + " wartosci nie jest liczbami i wczytano je jako 0.";
}

std::string msdBytes(const SystemDecyzyjny& source)
{
    std::string bytes(8 + std::size_t(source.valueCount) * 4, '\0');
    std::memcpy(bytes.data(), &source.objectCount, 4);
    std::memcpy(bytes.data() + 4, &source.attributeCount, 4);
    std::memcpy(bytes.data() + 8, source.values.data(), std::size_t(source.valueCount) * 4);
    return bytes;
}

bool writeMsd(const std::filesystem::path& path, const SystemDecyzyjny& source)
{
    return writeFileBytes(path, msdBytes(source));
}

std::filesystem::path pathFromUtf8(std::string_view name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

} // namespace kolven
