// The message maker.
#include "host/MessageMaker.h"

#include "host/Message.h"
#include "host/String.h"
#include "host/StringTable.h"

namespace tavi {

std::u16string VerdictText(int32_t code, std::u16string_view insert1, std::u16string_view insert2) {
    return FormatInserts(MessageText(code), {insert1, insert2});
}

HRESULT MakeInvalidValueMessage(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&] {
        BStr text;
        if (value && FAILED(value->GetAsText(text.Out())))
            text.Reset();
        return MakeMessage(taviGPMessageTypeError, kMessageCodeInvalidValue,
                           VerdictText(kMessageCodeInvalidValue, text.view()), message);
    });
}

HRESULT GPMessageMaker::MakeResultMessage(HRESULT result, int32_t code, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (SUCCEEDED(result))
        return MakeEmptyMessage(message);
    return guard([&] {
        int32_t used = code ? code : kMessageCodeFailedResult;
        return MakeMessage(taviGPMessageTypeError, used, VerdictText(used), message);
    });
}

HRESULT GPMessageMaker::MakeInvalidValueMessage(IGPValue* value, IGPMessage** message) {
    return tavi::MakeInvalidValueMessage(value, message);
}

} // namespace tavi
