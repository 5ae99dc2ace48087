// The message maker (messages for the common verdicts) and the message codes the bases use for them.
#pragma once

#include "platform/Object.h"
#include "tavi/GPValue.h"

#include <string>

namespace tavi {

// Codes of the verdicts the bases make. In their texts %1 is the offending value's text (or data type's display
// name), %2 the expected data type's display name.
constexpr int32_t kMessageCodeInvalidDataType = 702;
constexpr int32_t kMessageCodeInvalidValue = 701;
constexpr int32_t kMessageCodeFailedResult = 700;

// The message table's text for `code` with the inserts filled in.
std::u16string VerdictText(int32_t code, std::u16string_view insert1 = {}, std::u16string_view insert2 = {});

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
