// GPPoint: one X/Y pair without a spatial reference, and CoordinateReader, the reading of "x y" texts that the
// point, line and polygon values share.
//
// Text form: X and Y as GPDouble writes numbers (the locale's own text when it reads back exactly, else the
// shortest text that does), joined by one blank ("3.5 -2"); an empty point is the empty text. SetAsText empties
// the point, then reads the first two blank-separated tokens as numbers the way the tokenizer's NextDouble does
// (a point or a comma serves as decimal separator; quotes and parentheses group); both read: the point takes them,
// else the message is error 835 and the point stays empty. Further tokens are ignored. The texts written for
// infinities and not-a-number read back too.
//
// Stream form: int16 version 1, the base part, double X, double Y; Load takes versions 0 and 1.
// XML form: "X" and "Y" (doubles) when the point is not empty; a document that says not empty must hold both.
#pragma once

#include "host/GPValue.h"
#include "host/TextTokenizer.h"
#include "tavi/GPShapes.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tavi {

// Reads the two numbers of a coordinate text. One reader serves any number of texts (a line reads all its parts
// with one), and reading allocates nothing for the usual texts: tokens are views and numbers are parsed in place.
// Bound to the user default locale as it was when the reader was made.
class CoordinateReader {
public:
    CoordinateReader();

    // The first two tokens of `text` (separated by blanks, as a tokenizer with a blank separator reads them) as
    // numbers; false, with x and y unspecified, when there are fewer than two or either is no number.
    bool ReadXY(std::u16string_view text, double& x, double& y);

    // The tokenizer's plain reading of `text` from `at` without copying it: separators skipped, the stretch up to
    // the next separator (or the end) trimmed of white space; `at` moves past it. Quotes mean nothing here. Each
    // call moves `at` forward until it reaches the end, where the part is empty.
    static std::u16string_view NextPlainPart(std::u16string_view text, size_t& at, char16_t separator);

private:
    struct Token {
        std::u16string_view text;
        bool mayHoldOther = true; // false when the text is known not to hold the other decimal separator
    };
    // What the fast token scan needs to know of an ASCII character; every other character is ordinary there.
    static constexpr uint8_t kOrdinary = 0;
    static constexpr uint8_t kStop = 1;
    static constexpr uint8_t kOpener = 2;
    static constexpr uint8_t kOtherSeparator = 4;

    // The tokenizer's next token of a trimmed text with a blank separator, read in one pass for text without
    // grouping characters: blanks are skipped and the token runs to the next blank (any other white space stays in
    // it, as it does for the tokenizer). False when the token holds a grouping character: the tokenizer must read
    // the text then.
    bool NextUngroupedToken(std::u16string_view text, size_t& at, Token& token) const;
    // A token as a number in the user's locale: either decimal separator stands for the locale's own.
    bool ReadNumber(Token token, double& value) const;

    char16_t decimal_;
    char16_t other_;                    // the separator that stands for decimal_ (decimal_ itself when none does)
    std::array<uint8_t, 0x80> kinds_{}; // kStop, kOpener, kOtherSeparator by ASCII character
    // Only texts with quotes or parentheses go through the tokenizer; it is kept to reuse its buffers.
    TextTokenizer tokenizer_;
};

class GPPoint final : public GPValue<GPPoint, IGPPoint, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPPoint;
    static constexpr const char16_t* kClassName = u"GPPoint";
    static constexpr uint16_t kStreamVersion = 1;
    static constexpr int32_t kBadTextCode = 835;

    GPPoint() : GPValue(kClassId, CLSID_GPPointType) {}

    double X() const { return x_; }
    double Y() const { return y_; }

    // IGPPoint. Setters make the point non-empty and mark it modified.
    HRESULT get_X(double* x) override;
    HRESULT put_X(double x) override;
    HRESULT get_Y(double* y) override;
    HRESULT put_Y(double y) override;
    HRESULT PutXY(double x, double y) override;

    // IGPValue
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone. Assign takes X and Y from any object with IGPPoint (else E_INVALIDARG). IsEqual compares X and Y
    // exactly, not-a-number equal to itself so that a copy equals what it was copied from, then the emptiness.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    double x_ = 0.0;
    double y_ = 0.0;
};

} // namespace tavi
