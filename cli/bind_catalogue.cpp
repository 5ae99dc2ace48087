// Bindings of the catalogue interfaces: name lists, layer support, tool names and factories, the tokenizer.
#include "Binding.h"

#include "tavi/GPCatalog.h"

namespace tavigp {

void BindCatalogueFamily(BindingTable& t) {
    t.Bind("IEnumGPName.Next", &IEnumGPName::Next);
    t.Bind("IEnumGPName.Reset", &IEnumGPName::Reset);

    t.Bind("IGPLayerSupport.MakeLayerValue", &IGPLayerSupport::MakeLayerValue);
    t.Bind("IGPLayerSupport.MakeLayer", &IGPLayerSupport::MakeLayer);

    t.Bind("IGPFunctionName.get_HelpFile", &IGPFunctionName::get_HelpFile);
    t.Bind("IGPFunctionName.put_HelpFile", &IGPFunctionName::put_HelpFile);
    t.Bind("IGPFunctionName.get_HelpContext", &IGPFunctionName::get_HelpContext);
    t.Bind("IGPFunctionName.put_HelpContext", &IGPFunctionName::put_HelpContext);
    t.Bind("IGPFunctionFactory.get_Name", &IGPFunctionFactory::get_Name);
    t.Bind("IGPFunctionFactory.get_Alias", &IGPFunctionFactory::get_Alias);
    t.Bind("IGPFunctionFactory.get_CLSID", &IGPFunctionFactory::get_CLSID);
    t.Bind("IGPFunctionFactory.GetFunction", &IGPFunctionFactory::GetFunction);

    t.Bind("IGPParseString.Init", &IGPParseString::Init);
    t.Bind("IGPParseString.NextToken", &IGPParseString::NextToken);
    t.Bind("IGPParseString.NextPlainToken", &IGPParseString::NextPlainToken);
    t.Bind("IGPParseString.get_NextIsGrouped", &IGPParseString::get_NextIsGrouped);
    t.Bind("IGPParseString.AddCharacter", &IGPParseString::AddCharacter);
    // IGPParseString2 repeats the five operations above before its own.
    t.Bind<IGPParseString2>("IGPParseString2.Init", &IGPParseString::Init);
    t.Bind<IGPParseString2>("IGPParseString2.NextToken", &IGPParseString::NextToken);
    t.Bind<IGPParseString2>("IGPParseString2.NextPlainToken", &IGPParseString::NextPlainToken);
    t.Bind<IGPParseString2>("IGPParseString2.get_NextIsGrouped", &IGPParseString::get_NextIsGrouped);
    t.Bind<IGPParseString2>("IGPParseString2.AddCharacter", &IGPParseString::AddCharacter);
    t.Bind("IGPParseString2.get_Rest", &IGPParseString2::get_Rest);
    t.Bind("IGPParseString2.NextDouble", &IGPParseString2::NextDouble);
    t.Bind("IGPParseString2.NextLong", &IGPParseString2::NextLong);
    t.Bind("IGPParseString2.NextBool", &IGPParseString2::NextBool);
    t.Bind("IGPParseString2.NeedsQuote", &IGPParseString2::NeedsQuote);
    t.Bind("IGPParseString2.Quote", &IGPParseString2::Quote);
    t.Bind("IGPParseString2.ParseDouble", &IGPParseString2::ParseDouble);
    t.Bind("IGPParseString2.FormatDouble", &IGPParseString2::FormatDouble);
    t.Bind("IGPParseStringImpl.NextDoubleQuotedToken", &IGPParseStringImpl::NextDoubleQuotedToken);
    t.Bind("IGPParseStringImpl.NextGroupedToken", &IGPParseStringImpl::NextGroupedToken);
}

} // namespace tavigp
