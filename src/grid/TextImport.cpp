#include "TextImport.h"

#include "calc/CalcSist.h"
#include "data/NumberUtils.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <istream>
#include <string>
#include <vector>

namespace nivora {

namespace {

constexpr std::size_t kMaxToken = 20;       // characters of a field that are read
constexpr std::size_t kMaxQuoted = 64;      // characters of a quoted field kept to find its content
constexpr std::size_t kPieceSize = 65536;   // bytes read from a stream at a time
constexpr std::size_t kSampleSize = 65536;  // bytes looked at to find the separator

// Powers of ten that an extended value holds exactly (up to 10^27).
constexpr std::array<long double, 20> kPow10 = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                                1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};

constexpr std::array<double, 16> kPow10Double = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// How a field's characters become a value.
struct TFieldRule {
    bool Comma = true;        // "," is a decimal mark
    bool Point = true;        // "." is a decimal mark
    bool QuotedComma = true;  // "," is a decimal mark inside quotes, where it cannot separate fields

    bool IsMark(char c) const { return (c == ',' && Comma) || (c == '.' && Point); }
    TDecimalMarks Marks() const { return Comma && Point ? kEitherMark : TDecimalMarks{Comma ? ',' : '.', 0}; }
};

// The value of `digits` decimal digits (1 to 19) making `mantissa`, the last
// `fracDigits` of them after the decimal mark.
float PlainValue(std::uint64_t mantissa, int digits, int fracDigits, bool negative)
{
    // Up to 15 digits, digits and power are exact in a double and their
    // quotient is the correctly rounded double. Rounding that to a single
    // gives what rounding the extended value gives unless the double falls
    // exactly halfway between two singles (its 29 bits below a single's
    // precision are then 1000...0); that rare case takes the extended way.
    if (digits <= 15) {
        double d = static_cast<double>(mantissa);
        if (fracDigits > 0)
            d /= kPow10Double[std::size_t(fracDigits)];
        if ((std::bit_cast<std::uint64_t>(d) & 0x1FFFFFFFu) != 0x10000000u)
            return static_cast<float>(negative ? -d : d);
    }
    long double v = static_cast<long double>(mantissa);
    if (fracDigits > 0)
        v /= kPow10[std::size_t(fracDigits)];
    return static_cast<float>(negative ? -v : v);
}

// A field by the rules of a typed number (ScanNumber) with the rule's
// marks. The common shape, up to 19 digits and no exponent, is read straight
// from its digits: they are an exact integer and 10^k an exact power, so
// their quotient is the correctly rounded extended value, as the full
// reading gives it.
bool ReadNumber(std::string_view token, const TFieldRule& rule, float& value)
{
    TNumberText n;
    if (!ScanNumber(token, rule.Marks(), n))
        return false;
    const std::size_t digits = n.IntDigits.size() + n.FracDigits.size();
    if (!n.HasExponent && digits >= 1 && digits <= 19) {
        std::uint64_t mantissa = 0;
        for (const std::string_view run : {n.IntDigits, n.FracDigits})
            for (const char c : run)
                mantissa = mantissa * 10 + std::uint64_t(c - '0');
        value = PlainValue(mantissa, int(digits), int(n.FracDigits.size()), n.Negative);
        return true;
    }
    long double v = 0.0L;
    if (!NumberValue(n, v))
        return false;
    // A value beyond single precision is no elevation either.
    const auto f = static_cast<float>(v);
    if (!std::isfinite(f))
        return false;
    value = f;
    return true;
}

// How a field reads.
enum class TFieldValue { Empty, Number, NotNumber };

// The value of a field: its first 20 characters, or those of its content when
// it is wholly enclosed in double quotes.
TFieldValue ReadField(std::string_view token, const TFieldRule& rule, float& value)
{
    value = 0.0f;
    std::string content;
    TFieldRule quoted = rule;
    if (UnquoteField(token, content)) {
        token = content;
        quoted.Comma = rule.Comma || rule.QuotedComma;
    }
    if (token.empty())
        return TFieldValue::Empty;
    token = token.substr(0, kMaxToken);
    if (ReadNumber(token, quoted, value))
        return TFieldValue::Number;
    value = 0.0f;
    return TFieldValue::NotNumber;
}

// The sample with what stands between double quotes (a quote opens at any
// character and the line's end closes it) turned into digits, so that the
// separators and letters of quoted fields do not count.
std::string OutsideQuotes(std::string_view sample)
{
    std::string out(sample);
    bool open = false;
    for (char& c : out) {
        if (c == '"')
            open = !open;
        else if (c == '\r' || c == '\n')
            open = false;
        else if (open)
            c = '0';
    }
    return out;
}

// The separator of a text that does not name one, from its first lines.
char DetectSeparator(std::string_view quotedSample, char decimalMark)
{
    const std::string unquoted = OutsideQuotes(quotedSample);
    const std::string_view sample = unquoted;
    if (sample.find('\t') != std::string_view::npos)
        return '\t';
    if (sample.find(';') != std::string_view::npos)
        return ';';
    if (sample.find(',') == std::string_view::npos || decimalMark == ',')
        return '\t';
    if (decimalMark == '.')
        return ',';
    // Commas are separators when they cannot all be decimal commas: two in
    // a line, a decimal point or a quoted field beside them, or a header line
    // that they split.
    bool firstLine = true;
    std::size_t start = 0;
    while (start < sample.size()) {
        std::size_t end = sample.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = sample.size();
        const std::string_view line = sample.substr(start, end - start);
        const auto commas = std::count(line.begin(), line.end(), ',');
        // (A comma beside a quoted field separates it: a decimal comma
        // would be inside the quotes.)
        if (commas >= 2 || (commas >= 1 && line.find_first_of(".\"") != std::string_view::npos))
            return ',';
        if (firstLine && commas >= 1 && std::any_of(line.begin(), line.end(), [](char c) {
                return std::isalpha(static_cast<unsigned char>(c));
            }))
            return ',';
        firstLine = false;
        start = end + 1;
    }
    return '\t';
}

// Reads lines and fields as they come, keeping one line of values at most.
class TFieldScanner {
public:
    TFieldScanner(TTerreno& terrain, std::int32_t col, std::int32_t row, IProgress* progress, std::uint64_t totalBytes)
        : Terrain_(terrain), Col_(col), Row_(row), Progress_(progress), TotalBytes_(totalBytes)
    {}

    // Fixes the layout; a separator or decimal mark left to detection is
    // found in the sample (the first part of the text).
    void Begin(const TTextLayout& layout, std::string_view sample)
    {
        Result_.Layout = layout;
        TTextLayout& l = Result_.Layout;
        if (l.DecimalMark != ',' && l.DecimalMark != '.')
            l.DecimalMark = 0;
        // Unless the point was asked for, a comma between quotes is a
        // decimal comma even where commas separate the fields.
        Rule_.QuotedComma = l.DecimalMark != '.';
        if (l.Separator != '\t' && l.Separator != ';' && l.Separator != ',')
            l.Separator = DetectSeparator(sample, l.DecimalMark);
        if (l.Separator == ',')
            l.DecimalMark = '.';
        Separator_ = l.Separator;
        Rule_.Comma = l.DecimalMark != '.';
        Rule_.Point = l.DecimalMark != ',';
        Terrain_.SetAutoExtremes(false);
    }

    void Feed(const char* p, const char* end)
    {
        const char* const pieceStart = p;
        while (p < end) {
            if (PendingCR_) {
                PendingCR_ = false;
                if (*p == '\n') {
                    ++p;
                    continue;
                }
            }
            // The common field, a plain number, is read as it is scanned;
            // any other goes to CloseField.
            const char* const field = p;
            if (!TrailingField_) {
                FieldQuoted_ = *p == '"';
                QuoteOpen_ = false;
            }
            bool negative = false;
            if (!FieldQuoted_ && (*p == '-' || *p == '+')) {
                negative = *p == '-';
                ++p;
            }
            const char* const digitsStart = p;
            const char* mark = nullptr;
            std::uint64_t mantissa = 0;
            bool plain = !FieldQuoted_;
            for (; plain && p < end; ++p) {
                const unsigned digit = unsigned(static_cast<unsigned char>(*p)) - unsigned('0');
                if (digit < 10) {
                    mantissa = mantissa * 10 + digit;
                    continue;
                }
                const char c = *p;
                if (c == Separator_ || c == '\r' || c == '\n')
                    break;
                if (!mark && Rule_.IsMark(c)) {
                    mark = p;
                    continue;
                }
                plain = false;
                break;
            }
            if (!plain)
                SkipField(p, end);
            if (p == end) {
                Keep(field, p);
                break;
            }
            const char c = *p++;
            const auto length = p - 1 - field;
            const auto digits = (p - 1 - digitsStart) - (mark ? 1 : 0);
            const bool fast =
                plain && Token_.empty() && length <= std::ptrdiff_t(kMaxToken) && digits >= 1 && digits <= 19;
            if (fast)
                PutNumber(PlainValue(mantissa, int(digits), mark ? int(p - 1 - mark - 1) : 0, negative));
            if (c == Separator_) {
                if (!fast)
                    CloseField(field, p - 1);
                TrailingField_ = false;
                continue;
            }
            // Nothing after the line's last separator: whether that makes an
            // empty last field is known only at the end of the text.
            const bool endsInSeparator = length == 0 && Token_.empty() && !TrailingField_ && LineFields_ > 0;
            if (!fast && !endsInSeparator && (length > 0 || !Token_.empty() || TrailingField_))
                CloseField(field, p - 1);
            EndLine(endsInSeparator);
            PendingCR_ = c == '\r';
            if (Progress_ && TotalBytes_ > 0)
                Advance(Consumed_ + std::uint64_t(p - pieceStart));
        }
        Consumed_ += std::uint64_t(end - pieceStart);
    }

    TTextReadResult Finish()
    {
        // A last line without its line break.
        const bool endsInSeparator = !TrailingField_ && LineFields_ > 0;
        if (TrailingField_)
            CloseField(nullptr, nullptr);
        if (LineFields_ > 0)
            EndLine(endsInSeparator);
        // Programs that put one separator after every line's last field make
        // every line of their text end in it: only then is it a line ending.
        // Anywhere else the separator closes an empty last field, which
        // clears its cell like any other empty field.
        const bool lineEndings = DataLines_ >= 2 && SeparatorLines_ == DataLines_;
        if (!lineEndings) {
            Result_.Fields += SeparatorLines_;
            for (const TStake& s : EmptyLastFields_) {
                if (Terrain_.GetCell(s.Col, s.Row) != 0.0f)
                    ++Result_.Cleared;
                Terrain_.SetCell(s.Col, s.Row, 0.0f);
            }
        }
        Terrain_.UpdateUsedRect();
        Terrain_.SetSelection(Terrain_.UsedRect());
        Terrain_.SetAutoExtremes(true);
        return Result_;
    }

private:
    // Characters of a field that goes on in the next piece.
    void Keep(const char* p, const char* end)
    {
        if (p == end)
            return;
        TrailingField_ = true;
        const std::size_t keep = FieldQuoted_ ? kMaxQuoted : kMaxToken;
        const std::size_t room = keep - std::min(keep, Token_.size());
        Token_.append(p, std::min(room, std::size_t(end - p)));
    }

    // Moves p past the rest of a field that is not a plain number: to the
    // next separator outside quotes or to the line's end.
    void SkipField(const char*& p, const char* end)
    {
        for (; p < end; ++p) {
            const char c = *p;
            if (c == '\r' || c == '\n' || (c == Separator_ && !QuoteOpen_))
                break;
            if (c == '"' && FieldQuoted_)
                QuoteOpen_ = !QuoteOpen_;
        }
    }

    // A field read as a number by the scan.
    void PutNumber(float v)
    {
        const std::int64_t k = LineFields_++;
        if (Row_ <= MaxGridSize && std::int64_t(Col_) + k <= MaxGridSize) {
            ++LineNumbers_;
            Values_.push_back(v);
        } else {
            ++LineOutside_;
        }
    }

    // A field ends at a separator or at the end of its line; its characters
    // are [p, end) after those kept from earlier pieces.
    void CloseField(const char* p, const char* end)
    {
        std::string_view token;
        if (Token_.empty()) {
            token = std::string_view(p, std::size_t(end - p));
        } else {
            Keep(p, end);
            token = Token_;
        }
        const std::int64_t k = LineFields_++;
        const bool inside = Row_ <= MaxGridSize && std::int64_t(Col_) + k <= MaxGridSize;
        float v = 0.0f;
        const TFieldValue read = ReadField(token, Rule_, v);
        if (!inside) {
            if (read != TFieldValue::Empty)
                ++LineOutside_;
        } else {
            if (read == TFieldValue::Number) {
                ++LineNumbers_;
            } else if (read == TFieldValue::NotNumber) {
                ++LineUnreadable_;
                if (Terrain_.GetCell(std::int32_t(Col_ + k), Row_) != 0.0f)
                    ++LineUnreadableClears_;
            }
            Values_.push_back(v);
        }
        Token_.clear();
        FieldQuoted_ = QuoteOpen_ = false;
    }

    void EndLine(bool endsInSeparator)
    {
        ++Result_.Lines;
        const bool first = FirstLine_;
        FirstLine_ = false;
        const TTextLayout::THeader header = Result_.Layout.Header;
        if (first
            && (header == TTextLayout::hSkip
                || (header == TTextLayout::hDetect && LineNumbers_ == 0 && LineUnreadable_ > 0))) {
            Result_.HeaderSkipped = true;
        } else {
            if (LineFields_ > 0) {
                ++DataLines_;
                if (endsInSeparator) {
                    ++SeparatorLines_;
                    const std::int64_t col = std::int64_t(Col_) + LineFields_;
                    if (Col_ >= 1 && Row_ >= 1 && Row_ <= MaxGridSize && col <= MaxGridSize)
                        EmptyLastFields_.push_back({std::int32_t(col), Row_});
                }
            }
            Store();
            ++Row_;
        }
        Values_.clear();
        LineFields_ = LineNumbers_ = LineUnreadable_ = LineOutside_ = LineUnreadableClears_ = 0;
        TrailingField_ = false;
    }

    void Store()
    {
        Result_.Fields += LineFields_;
        Result_.Unreadable += LineUnreadable_;
        Result_.Outside += LineOutside_;
        if (Values_.empty())
            return;
        // Fields that are not numbers are told of on their own.
        Result_.Cleared -= LineUnreadableClears_;
        for (std::size_t k = 0; k < Values_.size(); ++k) {
            if (Values_[k] != 0.0f)
                ++Result_.Elevations;
            else if (Terrain_.GetCell(Col_ + std::int32_t(k), Row_) != 0.0f)
                ++Result_.Cleared;
        }
        if (Col_ >= 1 && Row_ >= 1)
            Terrain_.SetRowCells(Col_, Row_, Values_.data(), Values_.size());
    }

    void Advance(std::uint64_t consumed)
    {
        const int percent = int(std::min<std::uint64_t>(100, consumed * 100 / TotalBytes_));
        if (percent != LastPercent_) {
            LastPercent_ = percent;
            Progress_->Set(percent, 100);
        }
    }

    TTerreno& Terrain_;
    const std::int32_t Col_;
    std::int32_t Row_;
    IProgress* const Progress_;
    const std::uint64_t TotalBytes_;
    std::uint64_t Consumed_ = 0;
    int LastPercent_ = -1;

    TTextReadResult Result_;
    TFieldRule Rule_;
    char Separator_ = '\t';
    bool FirstLine_ = true;
    bool PendingCR_ = false;
    bool TrailingField_ = false;  // characters after the line's last separator, in an earlier piece
    bool FieldQuoted_ = false;    // the field being read began with a double quote
    bool QuoteOpen_ = false;      // ... and its quotes are open: a separator is part of it
    std::string Token_;           // the start of a field split between pieces
    std::vector<float> Values_;   // the current line's fields inside the grid (1000 at most)
    std::int64_t LineFields_ = 0;
    std::int64_t LineNumbers_ = 0;
    std::int64_t LineUnreadable_ = 0;
    std::int64_t LineOutside_ = 0;
    std::int64_t LineUnreadableClears_ = 0;  // of LineUnreadable_, those over an elevation
    // The lines with fields (the header's excluded), those of them that end
    // in a separator, and the cells their empty last fields stand for.
    struct TStake {
        std::int32_t Col, Row;
    };
    std::int64_t DataLines_ = 0;
    std::int64_t SeparatorLines_ = 0;
    std::vector<TStake> EmptyLastFields_;  // 1000 at most: rows past the grid are not kept
};

enum class TEncoding { Utf8, Utf16LE, Utf16BE };

// The encoding from the first bytes, and how many of them are a mark.
TEncoding DetectEncoding(std::string_view head, std::size_t& markSize)
{
    markSize = 0;
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
    if (head.size() >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) {
        markSize = 3;
        return TEncoding::Utf8;
    }
    if (head.size() >= 2 && b(0) == 0xFF && b(1) == 0xFE) {
        markSize = 2;
        return TEncoding::Utf16LE;
    }
    if (head.size() >= 2 && b(0) == 0xFE && b(1) == 0xFF) {
        markSize = 2;
        return TEncoding::Utf16BE;
    }
    // Without a mark, a text of numbers in UTF-16 shows a zero byte beside
    // each of its first characters.
    if (head.size() >= 2 && b(0) != 0 && b(1) == 0)
        return TEncoding::Utf16LE;
    if (head.size() >= 2 && b(0) == 0 && b(1) != 0)
        return TEncoding::Utf16BE;
    return TEncoding::Utf8;
}

// UTF-16 to 8-bit text, piece by piece. Characters outside ASCII can never be
// part of a number: each becomes one "?" (a surrogate pair one for each half,
// which reads the same).
class TUtf16Decoder {
public:
    explicit TUtf16Decoder(bool bigEndian) : BigEndian_(bigEndian) {}

    // Decodes [p, end) into out (cleared first).
    void Decode(const char* p, const char* end, std::string& out)
    {
        out.clear();
        out.reserve(std::size_t(end - p) / 2 + 1);
        if (HaveOdd_ && p < end) {
            Put(Odd_, *p++, out);
            HaveOdd_ = false;
        }
        for (; end - p >= 2; p += 2)
            Put(p[0], p[1], out);
        if (p < end) {
            Odd_ = *p;
            HaveOdd_ = true;
        }
    }

private:
    void Put(char first, char second, std::string& out) const
    {
        const auto lo = static_cast<unsigned char>(BigEndian_ ? second : first);
        const auto hi = static_cast<unsigned char>(BigEndian_ ? first : second);
        const unsigned unit = unsigned(hi) << 8 | lo;
        out.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }

    bool BigEndian_;
    bool HaveOdd_ = false;
    char Odd_ = 0;
};

}  // namespace

bool ReadClipboardField(std::string_view field, char, float& value)
{
    return ReadField(field, TFieldRule(), value) == TFieldValue::Number;
}

TTextReadResult ReadElevationText(TTerreno& terrain, std::string_view text, std::int32_t col, std::int32_t row,
                                  const TTextLayout& layout, char, IProgress* progress)
{
    std::size_t mark = 0;
    const TEncoding encoding = DetectEncoding(text, mark);
    text.remove_prefix(mark);
    TFieldScanner scanner(terrain, col, row, progress, encoding == TEncoding::Utf8 ? text.size() : text.size() / 2);
    if (encoding == TEncoding::Utf8) {
        scanner.Begin(layout, text.substr(0, kSampleSize));
        scanner.Feed(text.data(), text.data() + text.size());
        return scanner.Finish();
    }
    TUtf16Decoder decoder(encoding == TEncoding::Utf16BE);
    std::string piece;
    bool begun = false;
    for (std::size_t at = 0; at < text.size(); at += kPieceSize) {
        const std::string_view part = text.substr(at, kPieceSize);
        decoder.Decode(part.data(), part.data() + part.size(), piece);
        if (!begun) {
            scanner.Begin(layout, piece);
            begun = true;
        }
        scanner.Feed(piece.data(), piece.data() + piece.size());
    }
    if (!begun)
        scanner.Begin(layout, {});
    return scanner.Finish();
}

TTextReadResult ReadElevationText(TTerreno& terrain, std::istream& in, std::int32_t col, std::int32_t row,
                                  const TTextLayout& layout, char, IProgress* progress)
{
    std::string raw(kPieceSize, '\0');
    const auto readPiece = [&](std::size_t offset) {
        in.read(raw.data() + offset, std::streamsize(raw.size() - offset));
        return offset + std::size_t(in.gcount());
    };
    // The progress follows the bytes read when the stream knows its size.
    std::uint64_t total = 0;
    if (progress) {
        const auto here = in.tellg();
        if (here != std::streampos(-1) && in.seekg(0, std::ios::end)) {
            const auto last = in.tellg();
            if (last != std::streampos(-1) && last > here)
                total = std::uint64_t(last - here);
        }
        in.clear();
        in.seekg(here);
    }
    // The first piece decides the encoding and the layout.
    std::size_t size = readPiece(0);
    std::size_t mark = 0;
    const TEncoding encoding = DetectEncoding(std::string_view(raw.data(), size), mark);
    if (encoding != TEncoding::Utf8)
        total /= 2;
    TFieldScanner scanner(terrain, col, row, progress, total);
    TUtf16Decoder decoder(encoding == TEncoding::Utf16BE);
    std::string decoded;
    bool begun = false;
    std::size_t skip = mark;
    while (size > skip || !begun) {
        const char* p = raw.data() + skip;
        const char* end = raw.data() + size;
        if (encoding != TEncoding::Utf8) {
            decoder.Decode(p, end, decoded);
            p = decoded.data();
            end = decoded.data() + decoded.size();
        }
        if (!begun) {
            scanner.Begin(layout, std::string_view(p, std::size_t(end - p)));
            begun = true;
        }
        scanner.Feed(p, end);
        skip = 0;
        if (!in)
            break;
        size = readPiece(0);
    }
    return scanner.Finish();
}

}  // namespace nivora
