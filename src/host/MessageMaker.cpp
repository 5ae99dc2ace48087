// The message maker.
#include "host/MessageMaker.h"

#include "host/Message.h"
#include "host/String.h"
#include "host/StringTable.h"

namespace tavi {

std::u16string VerdictText(int32_t code, const char16_t* fallback, std::u16string_view insert1,
                           std::u16string_view insert2) {
    std::u16string pattern = MessageText(code);
    if (pattern.empty())
        pattern = fallback;
    return FormatInserts(pattern, {insert1, insert2});
}

HRESULT MakeInvalidValueMessage(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&] {
        BStr text;
        if (value && FAILED(value->GetAsText(text.Out())))
            text.Reset();
        return MakeMessage(taviGPMessageTypeError, kMessageCodeInvalidValue,
                           VerdictText(kMessageCodeInvalidValue, kTextInvalidValue, text.view()), message);
    });
}

HRESULT GPMessageMaker::MakeResultMessage(HRESULT result, int32_t code, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (SUCCEEDED(result))
        return MakeEmptyMessage(message);
    return guard([&] {
        int32_t used = code ? code : kMessageCodeFailedResult;
        return MakeMessage(taviGPMessageTypeError, used, VerdictText(used, kTextFailedResult), message);
    });
}

HRESULT GPMessageMaker::MakeInvalidValueMessage(IGPValue* value, IGPMessage** message) {
    return tavi::MakeInvalidValueMessage(value, message);
}

} // namespace tavi
