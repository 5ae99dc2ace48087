// ISO 8601 and plain numeric date texts: one small reader for both functions, so the fallback routes accept
// exactly the same ISO forms.
#include "host/IsoDate.h"

#include "platform/DateText.h"

namespace tavi::GeoprocessingUtil {

namespace {

// The parts a text named. `fields` holds only what `hasDate` and `hasTime` say was read.
struct DateTimeParts {
    bool hasDate = false;
    bool hasTime = false;
    datetext::DateFields fields;
};

// Which forms a reading accepts beyond the ISO extended ones.
enum class Forms {
    Extended, // ISO extended forms with a dated text: what ISODateStringToDateString rewrites
    All,      // also the basic and plain numeric forms, year-first dates with "/" or ".", and a time alone
};

bool IsAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Reads the forms of the head comment of IsoDate.h from a trimmed text. Every index is checked against the
// text's end before it is read, and a number is at most four digits, so no input can overflow or overrun.
class DateTimeReader {
public:
    DateTimeReader(std::u16string_view text, Forms forms) : text_(text), forms_(forms) {}

    bool Read(DateTimeParts& parts) {
        if (forms_ == Forms::All && StartsTime()) {
            if (!Accept(u'T'))
                Accept(u't');
            if (!ReadTime(parts.fields, true))
                return false;
            parts.hasTime = true;
            return ReadZone() && AtEnd();
        }
        bool basicDate = false;
        if (!ReadDate(parts.fields, basicDate))
            return false;
        parts.hasDate = true;
        if (AtEnd())
            return true;
        if (!ReadTimeSeparator(basicDate))
            return false;
        if (!ReadTime(parts.fields, forms_ == Forms::All))
            return false;
        parts.hasTime = true;
        return ReadZone() && AtEnd();
    }

private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    bool At(char16_t c) const { return pos_ < text_.size() && text_[pos_] == c; }
    bool AtDigit() const { return pos_ < text_.size() && IsAsciiDigit(text_[pos_]); }
    bool Accept(char16_t c) {
        if (!At(c))
            return false;
        ++pos_;
        return true;
    }

    // Reads between `least` and `most` digits (most <= 4) into `value`; false when fewer than `least` are there.
    bool Number(size_t least, size_t most, int& value) {
        size_t count = 0;
        value = 0;
        while (count < most && AtDigit()) {
            value = value * 10 + (text_[pos_] - u'0');
            ++pos_;
            ++count;
        }
        return count >= least;
    }

    // A time alone: "T" and a digit, or digits followed by a colon.
    bool StartsTime() const {
        if (At(u'T') || At(u't'))
            return pos_ + 1 < text_.size() && IsAsciiDigit(text_[pos_ + 1]);
        size_t p = pos_;
        while (p < text_.size() && p - pos_ < 2 && IsAsciiDigit(text_[p]))
            ++p;
        return p > pos_ && p < text_.size() && text_[p] == u':';
    }

    bool IsDateSeparator(char16_t c) const { return c == u'-' || (forms_ == Forms::All && (c == u'/' || c == u'.')); }

    // yyyy-m[m]-d[d] (also "/" or "." for the plain forms, the same separator twice), or yyyymmdd.
    bool ReadDate(datetext::DateFields& fields, bool& basic) {
        if (!Number(4, 4, fields.year))
            return false;
        if (pos_ < text_.size() && IsDateSeparator(text_[pos_])) {
            char16_t separator = text_[pos_++];
            basic = false;
            return Number(1, 2, fields.month) && Accept(separator) && Number(1, 2, fields.day);
        }
        basic = true;
        return forms_ == Forms::All && Number(2, 2, fields.month) && Number(2, 2, fields.day);
    }

    // "T", "t" or blanks; after a basic date the plain forms also let the time follow at once.
    bool ReadTimeSeparator(bool basicDate) {
        if (Accept(u'T') || Accept(u't'))
            return true;
        if (At(u' ')) {
            while (Accept(u' ')) {
            }
            return true;
        }
        return basicDate && forms_ == Forms::All && AtDigit();
    }

    // h[h]:mm[:ss[.fraction]] or, where `basicAllowed`, hhmm[ss[.fraction]].
    bool ReadTime(datetext::DateFields& fields, bool basicAllowed) {
        size_t start = pos_;
        if (!Number(1, 2, fields.hour))
            return false;
        bool hasSeconds = false;
        if (Accept(u':')) {
            if (!Number(2, 2, fields.minute))
                return false;
            if (Accept(u':')) {
                if (!Number(2, 2, fields.second))
                    return false;
                hasSeconds = true;
            }
        } else {
            if (!basicAllowed || pos_ - start != 2 || !Number(2, 2, fields.minute))
                return false;
            if (AtDigit()) {
                if (!Number(2, 2, fields.second))
                    return false;
                hasSeconds = true;
            }
        }
        if (hasSeconds && (At(u'.') || At(u','))) {
            ++pos_;
            if (!AtDigit())
                return false;
            while (AtDigit()) // the fraction is dropped (see IsoDate.h)
                ++pos_;
        }
        return fields.hour <= 23 && fields.minute <= 59 && fields.second <= 59;
    }

    // Nothing, "Z", or a sign and hh[[:]mm]. Checked for form only: the wall time is kept (see IsoDate.h).
    bool ReadZone() {
        if (Accept(u'Z') || Accept(u'z'))
            return true;
        if (!Accept(u'+') && !Accept(u'-'))
            return true; // no zone; the caller checks that nothing else follows
        int hours = 0, minutes = 0;
        if (!Number(2, 2, hours))
            return false;
        if (Accept(u':')) {
            if (!Number(2, 2, minutes))
                return false;
        } else if (AtDigit() && !Number(2, 2, minutes)) {
            return false;
        }
        return hours <= 23 && minutes <= 59;
    }

    std::u16string_view text_;
    Forms forms_;
    size_t pos_ = 0;
};

// Reads `text` in the given forms and checks the calendar: false for text that is no date of 100-9999.
bool ReadParts(std::u16string_view text, Forms forms, DateTimeParts& parts) {
    if (!DateTimeReader(text, forms).Read(parts))
        return false;
    if (!parts.hasDate)
        return true; // the hour, minute and second were checked as they were read
    DATE check = 0;
    return datetext::FromFields(parts.fields, check);
}

void AppendPadded(String& out, int value, size_t width) {
    String digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value > 0);
    if (digits.size() < width)
        out.append(width - digits.size(), u'0');
    out += digits;
}

} // namespace

String ISODateStringToDateString(std::u16string_view text) {
    String trimmed = Trim(text);
    DateTimeParts parts;
    if (!ReadParts(trimmed, Forms::Extended, parts))
        return String(text);
    const datetext::DateFields& f = parts.fields;
    String out;
    AppendPadded(out, f.year, 4);
    out += u'-';
    AppendPadded(out, f.month, 2);
    out += u'-';
    AppendPadded(out, f.day, 2);
    if (parts.hasTime) {
        out += u' ';
        AppendPadded(out, f.hour, 2);
        out += u':';
        AppendPadded(out, f.minute, 2);
        out += u':';
        AppendPadded(out, f.second, 2);
    }
    return out;
}

HRESULT DateTimeFromString(std::u16string_view text, DateFieldType fieldType, DATE* date) {
    if (!date)
        return E_POINTER;
    DateTimeParts parts;
    if (!ReadParts(Trim(text), Forms::All, parts))
        return DISP_E_TYPEMISMATCH;
    datetext::DateFields fields = parts.fields;
    switch (fieldType) {
    case DateFieldType::Date:
        break;
    case DateFieldType::DateOnly:
        if (!parts.hasDate)
            return DISP_E_TYPEMISMATCH;
        fields.hour = fields.minute = fields.second = 0;
        break;
    case DateFieldType::TimeOnly:
        if (!parts.hasTime)
            return DISP_E_TYPEMISMATCH;
        parts.hasDate = false;
        break;
    }
    if (!parts.hasDate) {
        // Day 0 (30 December 1899) carries a time alone.
        datetext::DateFields dayZero;
        fields.year = dayZero.year;
        fields.month = dayZero.month;
        fields.day = dayZero.day;
    }
    DATE result = 0;
    if (!datetext::FromFields(fields, result))
        return DISP_E_TYPEMISMATCH;
    *date = result;
    return S_OK;
}

} // namespace tavi::GeoprocessingUtil
