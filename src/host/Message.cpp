// The message and the composite message.
#include "host/Message.h"

#include "host/StringTable.h"

namespace tavi {

namespace {

VARIANT_BOOL Bool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

template <class T> HRESULT Put(T* out, T value) {
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

HRESULT PutText(BSTR* out, std::u16string_view text) {
    if (!out)
        return E_POINTER;
    *out = MakeBSTR(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace

int SeverityOf(int32_t type) {
    switch (type) {
    case taviGPMessageTypeError:
        return 3;
    case taviGPMessageTypeWarning:
        return 2;
    case taviGPMessageTypeInformative:
        return 1;
    default:
        return 0;
    }
}

// --- GPMessage ---

HRESULT GPMessage::get_Type(int32_t* type) {
    return Put(type, type_);
}
HRESULT GPMessage::put_Type(int32_t type) {
    type_ = type;
    return S_OK;
}
HRESULT GPMessage::get_ErrorCode(int32_t* code) {
    return Put(code, code_);
}
HRESULT GPMessage::put_ErrorCode(int32_t code) {
    code_ = code;
    return S_OK;
}
HRESULT GPMessage::get_Description(BSTR* description) {
    return guard([&] { return PutText(description, description_); });
}
HRESULT GPMessage::put_Description(const OLECHAR* description) {
    return guard([&] { description_ = description ? description : u""; });
}
HRESULT GPMessage::IsGood(VARIANT_BOOL* good) {
    return Put(good, Bool(SeverityOf(type_) < 2));
}
HRESULT GPMessage::IsWarning(VARIANT_BOOL* warning) {
    return Put(warning, Bool(type_ == taviGPMessageTypeWarning));
}
HRESULT GPMessage::IsError(VARIANT_BOOL* error) {
    return Put(error, Bool(type_ == taviGPMessageTypeError));
}
HRESULT GPMessage::IsInformational(VARIANT_BOOL* informational) {
    return Put(informational, Bool(type_ == taviGPMessageTypeInformative));
}

HRESULT GPMessage::MakeError(int32_t type, int32_t code) {
    return guard([&] {
        description_ = MessageText(code);
        type_ = type;
        code_ = code;
    });
}

HRESULT GPMessage::MakeErrorWithText(int32_t type, int32_t code, const OLECHAR* text) {
    return guard([&] {
        description_ = text ? text : u"";
        type_ = type;
        code_ = code;
    });
}

// --- GPMultiMessage ---

HRESULT GPMultiMessage::get_Count(int32_t* count) {
    return Put(count, static_cast<int32_t>(messages_.size()));
}

HRESULT GPMultiMessage::GetMessage(int32_t index, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (index < 0 || static_cast<size_t>(index) >= messages_.size())
        return E_INVALIDARG;
    return messages_[index].CopyTo(message);
}

HRESULT GPMultiMessage::Clear() {
    messages_.clear();
    return S_OK;
}

HRESULT GPMultiMessage::AddMessage(IGPMessage* message) {
    if (!message)
        return E_POINTER;
    return guard([&] { messages_.emplace_back(message); });
}

HRESULT GPMultiMessage::Remove(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= messages_.size())
        return E_INVALIDARG;
    messages_.erase(messages_.begin() + index);
    return S_OK;
}

IGPMessage* GPMultiMessage::Leader() const {
    IGPMessage* leader = nullptr;
    int best = 0;
    for (const auto& m : messages_) {
        int severity = SeverityOf(MessageType(m.Get()));
        if (severity > best) {
            best = severity;
            leader = m.Get();
        }
    }
    return leader;
}

int32_t GPMultiMessage::CombinedType() const {
    return MessageType(Leader());
}

HRESULT GPMultiMessage::get_Type(int32_t* type) {
    return Put(type, CombinedType());
}
HRESULT GPMultiMessage::put_Type(int32_t) {
    return E_NOTIMPL;
}
HRESULT GPMultiMessage::get_ErrorCode(int32_t* code) {
    return Put(code, MessageCode(Leader()));
}
HRESULT GPMultiMessage::put_ErrorCode(int32_t) {
    return E_NOTIMPL;
}

HRESULT GPMultiMessage::get_Description(BSTR* description) {
    return guard([&] {
        String joined;
        for (const auto& m : messages_) {
            BStr text;
            if (FAILED(m->get_Description(text.Out())) || text.empty())
                continue;
            if (!joined.empty())
                joined += u'\n';
            joined += text.view();
        }
        return PutText(description, joined);
    });
}
HRESULT GPMultiMessage::put_Description(const OLECHAR*) {
    return E_NOTIMPL;
}

HRESULT GPMultiMessage::IsGood(VARIANT_BOOL* good) {
    return Put(good, Bool(SeverityOf(CombinedType()) < 2));
}
HRESULT GPMultiMessage::IsWarning(VARIANT_BOOL* warning) {
    return Put(warning, Bool(CombinedType() == taviGPMessageTypeWarning));
}
HRESULT GPMultiMessage::IsError(VARIANT_BOOL* error) {
    return Put(error, Bool(CombinedType() == taviGPMessageTypeError));
}
HRESULT GPMultiMessage::IsInformational(VARIANT_BOOL* informational) {
    return Put(informational, Bool(CombinedType() == taviGPMessageTypeInformative));
}

// --- helpers ---

HRESULT MakeEmptyMessage(IGPMessage** message) {
    return CreateInstance<GPMessage>(nullptr, IGPMessage::iid, reinterpret_cast<void**>(message));
}

HRESULT MakeErrorMessage(int32_t code, IGPMessage** message) {
    return guard([&] { return MakeMessage(taviGPMessageTypeError, code, MessageText(code), message); });
}

HRESULT MakeMessage(int32_t type, int32_t code, std::u16string_view description, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&] {
        auto made = MakeObject<GPMessage>();
        String text(description);
        HRESULT hr = made->MakeErrorWithText(type, code, text.c_str());
        if (FAILED(hr))
            return hr;
        *message = static_cast<IGPMessage*>(made.Detach());
        return S_OK;
    });
}

int32_t MessageType(IGPMessage* message) {
    int32_t type = 0;
    if (message && FAILED(message->get_Type(&type)))
        type = 0;
    return type;
}

int32_t MessageCode(IGPMessage* message) {
    int32_t code = 0;
    if (message && FAILED(message->get_ErrorCode(&code)))
        code = 0;
    return code;
}

bool MessageIsError(IGPMessage* message) {
    return MessageType(message) == taviGPMessageTypeError;
}

} // namespace tavi
