// The message objects, the message maker and the value resolver.
#include "SampleValue.h"
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/Message.h"
#include "host/MessageMaker.h"
#include "host/StringTable.h"
#include "host/ValueResolver.h"

namespace tavi::test {
namespace {

class MessageTest : public LeakCheckedTest {};

ComPtr<IGPMessage> NewMessage(int32_t type, int32_t code, const char16_t* text) {
    ComPtr<IGPMessage> message;
    EXPECT_EQ(MakeMessage(type, code, text, message.Out()), S_OK);
    return message;
}

struct Verdicts {
    VARIANT_BOOL good, warning, error, informational;
};

Verdicts VerdictsOf(IGPMessage* message) {
    Verdicts v{};
    EXPECT_EQ(message->IsGood(&v.good), S_OK);
    EXPECT_EQ(message->IsWarning(&v.warning), S_OK);
    EXPECT_EQ(message->IsError(&v.error), S_OK);
    EXPECT_EQ(message->IsInformational(&v.informational), S_OK);
    return v;
}

TEST_F(MessageTest, TypeDecidesTheVerdicts) {
    struct Case {
        int32_t type;
        bool good, warning, error, informational;
    } const cases[] = {
        {taviGPMessageTypeEmpty, true, false, false, false},      // the new, empty message reports no problem
        {taviGPMessageTypeInformative, true, false, false, true}, // information is no problem either
        {taviGPMessageTypeWarning, false, true, false, false},    // a warning is a problem, not an error
        {taviGPMessageTypeError, false, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        auto message = NewMessage(c.type, 0, u"");
        Verdicts v = VerdictsOf(message.Get());
        EXPECT_EQ(v.good != 0, c.good);
        EXPECT_EQ(v.warning != 0, c.warning);
        EXPECT_EQ(v.error != 0, c.error);
        EXPECT_EQ(v.informational != 0, c.informational);
    }
}

TEST_F(MessageTest, CreatedByClassIdentifierEmptyAndGood) {
    ComPtr<IGPMessage> message;
    ASSERT_EQ(AfCreateInstance(CLSID_GPMessage, nullptr, CLSCTX_INPROC_SERVER, IGPMessage::iid, message.OutVoid()),
              S_OK);
    int32_t type = -1, code = -1;
    BStr text;
    EXPECT_EQ(message->get_Type(&type), S_OK);
    EXPECT_EQ(message->get_ErrorCode(&code), S_OK);
    EXPECT_EQ(message->get_Description(text.Out()), S_OK);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(VerdictsOf(message.Get()).good);
    EXPECT_EQ(message->get_Type(nullptr), E_POINTER);
    EXPECT_EQ(message->get_Description(nullptr), E_POINTER);
}

TEST_F(MessageTest, MakeErrorTakesTheTableTextOrTheGivenText) {
    ComPtr<IGPMessage> message;
    ASSERT_EQ(MakeEmptyMessage(message.Out()), S_OK);
    auto error = message.As<IGPErrorMessage>();
    ASSERT_TRUE(error);

    ASSERT_EQ(error->MakeError(taviGPMessageTypeError, 799), S_OK);
    BStr text;
    message->get_Description(text.Out());
    EXPECT_EQ(text.str(), MessageText(799));
    EXPECT_EQ(MessageCode(message.Get()), 799);
    EXPECT_TRUE(MessageIsError(message.Get()));

    ASSERT_EQ(error->MakeErrorWithText(taviGPMessageTypeWarning, 12, u"look here"), S_OK);
    message->get_Description(text.Out());
    EXPECT_EQ(text.str(), u"look here");
    EXPECT_EQ(MessageType(message.Get()), taviGPMessageTypeWarning);
    EXPECT_EQ(MessageCode(message.Get()), 12);

    ASSERT_EQ(error->MakeErrorWithText(taviGPMessageTypeError, 1, nullptr), S_OK); // null text: empty
    message->get_Description(text.Out());
    EXPECT_TRUE(text.empty());
}

TEST_F(MessageTest, CompositeReadsAsItsMostSevereMember) {
    ComPtr<IGPMessages> list;
    ASSERT_EQ(AfCreateInstance(CLSID_GPMultiMessage, nullptr, CLSCTX_INPROC_SERVER, IGPMessages::iid, list.OutVoid()),
              S_OK);
    auto composite = list.As<IGPMessage>();
    ASSERT_TRUE(composite);
    EXPECT_TRUE(VerdictsOf(composite.Get()).good); // an empty list is an empty verdict

    list->AddMessage(NewMessage(taviGPMessageTypeEmpty, 0, u"").Get());
    list->AddMessage(NewMessage(taviGPMessageTypeWarning, 50, u"careful").Get());
    EXPECT_EQ(MessageType(composite.Get()), taviGPMessageTypeWarning);
    EXPECT_EQ(MessageCode(composite.Get()), 50);

    list->AddMessage(NewMessage(taviGPMessageTypeError, 800, u"first error").Get());
    list->AddMessage(NewMessage(taviGPMessageTypeError, 801, u"second error").Get());
    Verdicts v = VerdictsOf(composite.Get());
    EXPECT_FALSE(v.good);
    EXPECT_TRUE(v.error);
    EXPECT_EQ(MessageCode(composite.Get()), 800); // the first error speaks for the list
    BStr text;
    composite->get_Description(text.Out());
    EXPECT_EQ(text.str(), u"careful\nfirst error\nsecond error"); // empty descriptions are left out

    int32_t count = 0;
    list->get_Count(&count);
    EXPECT_EQ(count, 4);
    ComPtr<IGPMessage> third;
    EXPECT_EQ(list->GetMessage(2, third.Out()), S_OK);
    EXPECT_EQ(MessageCode(third.Get()), 800);
    EXPECT_EQ(list->GetMessage(4, third.Out()), E_INVALIDARG);
    EXPECT_FALSE(third);
    EXPECT_EQ(list->AddMessage(nullptr), E_POINTER);
    EXPECT_EQ(list->Remove(-1), E_INVALIDARG);
    EXPECT_EQ(composite->put_Type(0), E_NOTIMPL); // a composite's content is its members

    EXPECT_EQ(list->Remove(2), S_OK);
    EXPECT_EQ(MessageCode(composite.Get()), 801);
    EXPECT_EQ(list->Clear(), S_OK);
    EXPECT_TRUE(VerdictsOf(composite.Get()).good);
}

TEST_F(MessageTest, MakerReportsResultsAndInvalidValues) {
    ComPtr<IGPMessageMaker> maker;
    ASSERT_EQ(
        AfCreateInstance(CLSID_GPMessageMaker, nullptr, CLSCTX_INPROC_SERVER, IGPMessageMaker::iid, maker.OutVoid()),
        S_OK);
    ComPtr<IGPMessage> message;
    ASSERT_EQ(maker->MakeResultMessage(S_FALSE, 55, message.Out()), S_OK);
    EXPECT_EQ(MessageType(message.Get()), taviGPMessageTypeEmpty); // success, even S_FALSE, is no error

    ASSERT_EQ(maker->MakeResultMessage(E_FAIL, 55, message.Out()), S_OK);
    EXPECT_TRUE(MessageIsError(message.Get()));
    EXPECT_EQ(MessageCode(message.Get()), 55);
    ASSERT_EQ(maker->MakeResultMessage(E_FAIL, 0, message.Out()), S_OK);
    EXPECT_EQ(MessageCode(message.Get()), kMessageCodeFailedResult);

    auto sample = MakeSample(4711);
    ASSERT_EQ(maker->MakeInvalidValueMessage(sample.As<IGPValue>().Get(), message.Out()), S_OK);
    EXPECT_TRUE(MessageIsError(message.Get()));
    EXPECT_EQ(MessageCode(message.Get()), kMessageCodeInvalidValue);
    BStr text;
    message->get_Description(text.Out());
    EXPECT_NE(text.view().find(u"4711"), std::u16string_view::npos) << ToUtf8(text.view());

    EXPECT_EQ(maker->MakeResultMessage(E_FAIL, 1, nullptr), E_POINTER);
}

TEST_F(MessageTest, ResolverGivesWhatAVariableHolds) {
    ComPtr<IGPValueResolver> resolver;
    ASSERT_EQ(AfCreateInstance(CLSID_GPValueResolver, nullptr, CLSCTX_INPROC_SERVER, IGPValueResolver::iid,
                               resolver.OutVoid()),
              S_OK);
    auto plain = MakeSample(3).As<IGPValue>();
    ComPtr<IGPValue> actual;
    ASSERT_EQ(resolver->ResolveValue(plain.Get(), nullptr, actual.Out()), S_OK);
    EXPECT_EQ(actual.Get(), plain.Get()); // any other value as it is

    auto inner = MakeObject<GPSampleVariable>();
    auto outer = MakeObject<GPSampleVariable>();
    inner->putref_Value(plain.Get());
    outer->putref_Value(static_cast<IGPValue*>(inner.Get()));
    ASSERT_EQ(resolver->ResolveValue(static_cast<IGPValue*>(outer.Get()), nullptr, actual.Out()), S_OK);
    EXPECT_EQ(actual.Get(), plain.Get()); // followed through a variable holding a variable

    inner->putref_Value(nullptr);
    EXPECT_EQ(resolver->ResolveValue(static_cast<IGPValue*>(outer.Get()), nullptr, actual.Out()), E_FAIL);
    EXPECT_FALSE(actual);

    inner->putref_Value(static_cast<IGPValue*>(outer.Get())); // a loop ends, it does not hang
    EXPECT_EQ(resolver->ResolveValue(static_cast<IGPValue*>(outer.Get()), nullptr, actual.Out()), E_FAIL);
    inner->putref_Value(nullptr); // break the reference cycle

    EXPECT_EQ(resolver->ResolveValue(nullptr, nullptr, actual.Out()), E_POINTER);
}

} // namespace
} // namespace tavi::test
