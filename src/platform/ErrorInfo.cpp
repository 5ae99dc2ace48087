// Error information: the object that CreateErrorInfo makes (filled through ICreateErrorInfo, read through
// IErrorInfo) and the per-thread slot of SetErrorInfo/GetErrorInfo.
#include "platform/ErrorInfo.h"

#include "platform/BStr.h"
#include "platform/HandOut.h"
#include "platform/Object.h"

#include <string>

namespace tavi {

namespace {

class ErrorInfo final : public Object<ErrorInfo, IErrorInfo, ICreateErrorInfo> {
public:
    static constexpr const char16_t* kClassName = u"ErrorInfo";

    // IErrorInfo. Texts never set come out as empty texts.
    HRESULT GetGUID(GUID* guid) override {
        if (!guid)
            return E_POINTER;
        *guid = guid_;
        return S_OK;
    }
    HRESULT GetSource(BSTR* source) override { return HandOut(source_, source); }
    HRESULT GetDescription(BSTR* description) override { return HandOut(description_, description); }
    HRESULT GetHelpFile(BSTR* helpFile) override { return HandOut(helpFile_, helpFile); }
    HRESULT GetHelpContext(DWORD* helpContext) override {
        if (!helpContext)
            return E_POINTER;
        *helpContext = helpContext_;
        return S_OK;
    }

    // ICreateErrorInfo. A null text clears the field.
    HRESULT SetGUID(REFGUID guid) override {
        guid_ = guid;
        return S_OK;
    }
    HRESULT SetSource(const OLECHAR* source) override { return Store(source, &source_); }
    HRESULT SetDescription(const OLECHAR* description) override { return Store(description, &description_); }
    HRESULT SetHelpFile(const OLECHAR* helpFile) override { return Store(helpFile, &helpFile_); }
    HRESULT SetHelpContext(DWORD helpContext) override {
        helpContext_ = helpContext;
        return S_OK;
    }

private:
    static HRESULT Store(const OLECHAR* text, std::u16string* field) {
        return guard([&] { *field = text ? std::u16string(text) : std::u16string(); });
    }

    GUID guid_ = GUID_NULL;
    std::u16string source_;
    std::u16string description_;
    std::u16string helpFile_;
    DWORD helpContext_ = 0;
};

// The calling thread's error information. The slot releases what it holds when the thread ends.
ComPtr<IErrorInfo>& ThreadSlot() {
    thread_local ComPtr<IErrorInfo> slot;
    return slot;
}

} // namespace

HRESULT ReportError(HRESULT code, std::u16string_view source, std::u16string_view description) {
    ComPtr<ICreateErrorInfo> info;
    if (FAILED(CreateErrorInfo(info.Out())) || !info)
        return code;
    info->SetSource(std::u16string(source).c_str());
    info->SetDescription(std::u16string(description).c_str());
    if (auto error = info.As<IErrorInfo>())
        SetErrorInfo(0, error.Get());
    return code;
}

} // namespace tavi

extern "C" {

HRESULT CreateErrorInfo(ICreateErrorInfo** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return tavi::CreateInstance<tavi::ErrorInfo>(nullptr, ICreateErrorInfo::iid, reinterpret_cast<void**>(out));
}

HRESULT SetErrorInfo(DWORD reserved, IErrorInfo* info) {
    if (reserved != 0)
        return E_INVALIDARG;
    // Take the new one before letting the old one go: releasing the old object may run code that sets error
    // information again on this thread.
    tavi::ComPtr<IErrorInfo> previous = std::move(tavi::ThreadSlot());
    tavi::ThreadSlot() = tavi::ComPtr<IErrorInfo>(info);
    previous.Reset();
    return S_OK;
}

HRESULT GetErrorInfo(DWORD reserved, IErrorInfo** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (reserved != 0)
        return E_INVALIDARG;
    tavi::ComPtr<IErrorInfo>& slot = tavi::ThreadSlot();
    if (!slot)
        return S_FALSE;
    *out = slot.Detach();
    return S_OK;
}

} // extern "C"
