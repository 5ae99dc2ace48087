// The message maker (messages for the common verdicts) and the message codes the bases use for them.
#pragma once

#include "platform/Object.h"
#include "tavi/GPValue.h"

#include <string>

namespace tavi {

// Codes of the verdicts the bases make, with the texts used when the message table has none of its own.
// %1 is the offending value's text (or data type's display name), %2 the expected data type's display name.
constexpr int32_t kMessageCodeInvalidDataType = 702;
constexpr int32_t kMessageCodeInvalidValue = 701;
constexpr int32_t kMessageCodeFailedResult = 700;
inline constexpr const char16_t* kTextInvalidDataType = u"The data type %1 is not valid here; %2 is expected.";
inline constexpr const char16_t* kTextInvalidValue = u"The value %1 is not valid.";
inline constexpr const char16_t* kTextFailedResult = u"The operation failed.";

// The message table's text for `code`, else `fallback`, with the inserts filled in.
std::u16string VerdictText(int32_t code, const char16_t* fallback, std::u16string_view insert1 = {},
                           std::u16string_view insert2 = {});

// An error message (type 100, kMessageCodeInvalidValue) naming the value by its text form.
HRESULT MakeInvalidValueMessage(IGPValue* value, IGPMessage** message);

class GPMessageMaker final : public Object<GPMessageMaker, IGPMessageMaker> {
public:
    static constexpr CLSID kClassId = CLSID_GPMessageMaker;
    static constexpr const char16_t* kClassName = u"GPMessageMaker";

    // A failing `result` gives an error with `code` (0: kMessageCodeFailedResult) and its text; success gives an
    // empty message.
    HRESULT MakeResultMessage(HRESULT result, int32_t code, IGPMessage** message) override;
    HRESULT MakeInvalidValueMessage(IGPValue* value, IGPMessage** message) override;
};

} // namespace tavi
