// The message objects that validation hands out: one message (type, code, description) and the composite message
// that collects several and presents itself as one. Plus the helpers that make messages inside the library.
#pragma once

#include "host/String.h"
#include "platform/Object.h"
#include "tavi/GPMessage.h"

#include <vector>

namespace tavi {

// One message. A new message is empty (type 0, code 0, no description), which passes IsGood.
class GPMessage final : public Object<GPMessage, IGPMessage, IGPErrorMessage> {
public:
    static constexpr CLSID kClassId = CLSID_GPMessage;
    static constexpr const char16_t* kClassName = u"GPMessage";

    // IGPMessage
    HRESULT get_Type(int32_t* type) override;
    HRESULT put_Type(int32_t type) override;
    HRESULT get_ErrorCode(int32_t* code) override;
    HRESULT put_ErrorCode(int32_t code) override;
    HRESULT get_Description(BSTR* description) override;
    HRESULT put_Description(const OLECHAR* description) override;
    HRESULT IsGood(VARIANT_BOOL* good) override;
    HRESULT IsWarning(VARIANT_BOOL* warning) override;
    HRESULT IsError(VARIANT_BOOL* error) override;
    HRESULT IsInformational(VARIANT_BOOL* informational) override;

    // IGPErrorMessage
    HRESULT MakeError(int32_t type, int32_t code) override;
    HRESULT MakeErrorWithText(int32_t type, int32_t code, const OLECHAR* text) override;

private:
    int32_t type_ = taviGPMessageTypeEmpty;
    int32_t code_ = 0;
    String description_;
};

// A list of messages that reads as one: the most severe type of its members (error, then warning, then
// informative), the code of the first member of that type, and the members' non-empty descriptions joined by
// line feeds. An empty list reads as an empty message. The setters of IGPMessage do not apply to a composite
// (E_NOTIMPL): its content is its members.
class GPMultiMessage final : public Object<GPMultiMessage, IGPMessages, IGPMessage> {
public:
    static constexpr CLSID kClassId = CLSID_GPMultiMessage;
    static constexpr const char16_t* kClassName = u"GPMultiMessage";

    // IGPMessages
    HRESULT get_Count(int32_t* count) override;
    HRESULT GetMessage(int32_t index, IGPMessage** message) override;
    HRESULT Clear() override;
    HRESULT AddMessage(IGPMessage* message) override;
    HRESULT Remove(int32_t index) override;

    // IGPMessage
    HRESULT get_Type(int32_t* type) override;
    HRESULT put_Type(int32_t type) override;
    HRESULT get_ErrorCode(int32_t* code) override;
    HRESULT put_ErrorCode(int32_t code) override;
    HRESULT get_Description(BSTR* description) override;
    HRESULT put_Description(const OLECHAR* description) override;
    HRESULT IsGood(VARIANT_BOOL* good) override;
    HRESULT IsWarning(VARIANT_BOOL* warning) override;
    HRESULT IsError(VARIANT_BOOL* error) override;
    HRESULT IsInformational(VARIANT_BOOL* informational) override;

private:
    // The member that speaks for the list (first of the most severe type), or null for an empty verdict.
    IGPMessage* Leader() const;
    int32_t CombinedType() const;

    std::vector<ComPtr<IGPMessage>> messages_;
};

// Severity rank of a message type: error 3, warning 2, informative 1, anything else 0.
int SeverityOf(int32_t type);

// Library-side helpers. Each hands out a new message; E_POINTER for a null out, E_OUTOFMEMORY when it cannot be
// made.
HRESULT MakeEmptyMessage(IGPMessage** message);
// An error (type 100) with `code` and the message table's text for it.
HRESULT MakeErrorMessage(int32_t code, IGPMessage** message);
// A message of `type` and `code` with the given description.
HRESULT MakeMessage(int32_t type, int32_t code, std::u16string_view description, IGPMessage** message);

// Reading a message without ceremony: type, code and verdicts of a possibly null message (null reads as empty).
int32_t MessageType(IGPMessage* message);
int32_t MessageCode(IGPMessage* message);
bool MessageIsError(IGPMessage* message);

} // namespace tavi
