// The message interfaces: one message (type, code, description and the verdict tests), the error-setting interface,
// the composite message's collecting interface, the message maker and the value resolver.
//
// Operation order where none is fixed elsewhere: getters before setters, property by property, then the tests.
#pragma once

#include "tavi/Unknown.h"

struct IGPValue;

// Message types. A new message is empty: type 0, code 0, no description.
enum taviGPMessageType : int32_t {
    taviGPMessageTypeEmpty = 0,
    taviGPMessageTypeInformative = 1,
    taviGPMessageTypeWarning = 50,
    taviGPMessageTypeError = 100,
};

struct IGPMessage : IUnknown {
    static constexpr IID iid{0x93D8ACCB, 0x3A6E, 0x4FA2, {0xB2, 0x83, 0x19, 0x7E, 0xE5, 0xD0, 0xE3, 0x34}};
    virtual HRESULT get_Type(int32_t* type) = 0;                     // 1
    virtual HRESULT put_Type(int32_t type) = 0;                      // 2
    virtual HRESULT get_ErrorCode(int32_t* code) = 0;                // 3
    virtual HRESULT put_ErrorCode(int32_t code) = 0;                 // 4
    virtual HRESULT get_Description(BSTR* description) = 0;          // 5
    virtual HRESULT put_Description(const OLECHAR* description) = 0; // 6
    // True when the message reports no problem: neither a warning nor an error.
    virtual HRESULT IsGood(VARIANT_BOOL* good) = 0;                   // 7
    virtual HRESULT IsWarning(VARIANT_BOOL* warning) = 0;             // 8
    virtual HRESULT IsError(VARIANT_BOOL* error) = 0;                 // 9
    virtual HRESULT IsInformational(VARIANT_BOOL* informational) = 0; // 10
};

// Turns a message into a verdict in one call.
struct IGPErrorMessage : IUnknown {
    static constexpr IID iid{0x914036CA, 0x57F8, 0x46E2, {0x95, 0x96, 0x71, 0xBC, 0xDA, 0x44, 0x8C, 0x7C}};
    // Sets type and code; the description becomes the message table's text for the code (empty when it has none).
    virtual HRESULT MakeError(int32_t type, int32_t code) = 0;
    // Sets type, code and the given description (null: empty).
    virtual HRESULT MakeErrorWithText(int32_t type, int32_t code, const OLECHAR* text) = 0;
};

// The composite message's list of messages.
struct IGPMessages : IUnknown {
    static constexpr IID iid{0x0696AA9D, 0xC26B, 0x4A3E, {0x89, 0xB7, 0x37, 0x63, 0xEA, 0x11, 0xF1, 0x6C}};
    virtual HRESULT get_Count(int32_t* count) = 0;                       // 1
    virtual HRESULT GetMessage(int32_t index, IGPMessage** message) = 0; // 2: E_INVALIDARG outside the list
    virtual HRESULT Clear() = 0;                                         // 3
    virtual HRESULT AddMessage(IGPMessage* message) = 0;                 // 4: E_POINTER for null
    virtual HRESULT Remove(int32_t index) = 0;                           // 5: E_INVALIDARG outside the list
};

// Messages for the common verdicts.
struct IGPMessageMaker : IUnknown {
    static constexpr IID iid{0x21607D20, 0x7084, 0x4D37, {0x8E, 0xC9, 0xF9, 0x03, 0x3C, 0x79, 0x6F, 0x48}};
    // For a failing `result`: an error message with `code` (and its table text); for success: an empty message.
    virtual HRESULT MakeResultMessage(HRESULT result, int32_t code, IGPMessage** message) = 0;
    // An error message saying that `value` (its text form, when it has one) is not valid.
    virtual HRESULT MakeInvalidValueMessage(IGPValue* value, IGPMessage** message) = 0;
};

// The value a value stands for.
struct IGPValueResolver : IUnknown {
    static constexpr IID iid{0x07D3FDA6, 0xD5D3, 0x4B8D, {0x97, 0x43, 0xB6, 0x47, 0x61, 0xB9, 0xCA, 0x67}};
    // A variable or parameter gives the value it holds (E_FAIL when it holds none); any other value is handed
    // back as it is. `environment` may be null; it is reserved for resolving against a tool's environment.
    virtual HRESULT ResolveValue(IGPValue* value, IUnknown* environment, IGPValue** actual) = 0;
};

// Classes.
constexpr CLSID CLSID_GPMessage{0xFD0BB2D3, 0x6C4E, 0x43AF, {0xB0, 0x84, 0xA8, 0x06, 0xA6, 0xC8, 0xE6, 0x6E}};
constexpr CLSID CLSID_GPMultiMessage{0x6D59957C, 0xEAD2, 0x491B, {0x96, 0x3C, 0x2C, 0x41, 0xFE, 0xB7, 0x9C, 0x2F}};
constexpr CLSID CLSID_GPMessageMaker{0x5919840A, 0xFB1B, 0x4FFB, {0x85, 0x6D, 0x26, 0x17, 0x45, 0x41, 0x6D, 0x93}};
constexpr CLSID CLSID_GPValueResolver{0xA0BD1DD1, 0xD912, 0x41AF, {0xBA, 0x32, 0xA1, 0x1A, 0xBF, 0x3A, 0x4E, 0xC9}};
