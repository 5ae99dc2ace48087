// Bindings of the catalogue interfaces: name lists, layer support, tool names and factories, the tokenizer.
#include "bridge/Binding.h"

#include "tavi/GPCatalog.h"
#include "tavi/GPEnvironment.h"

namespace tavigp {

void BindCatalogueFamily(BindingTable& t) {
    BIND(t, IEnumGPName, Next);
    BIND(t, IEnumGPName, Reset);

    BIND(t, IGPLayerSupport, MakeLayerValue);
    BIND(t, IGPLayerSupport, MakeLayer);

    BIND(t, IGPFunctionName, get_HelpFile);
    BIND(t, IGPFunctionName, put_HelpFile);
    BIND(t, IGPFunctionName, get_HelpContext);
    BIND(t, IGPFunctionName, put_HelpContext);
    BIND(t, IGPFunctionFactory, get_Name);
    BIND(t, IGPFunctionFactory, get_Alias);
    BIND(t, IGPFunctionFactory, get_CLSID);
    BIND(t, IGPFunctionFactory, GetFunction);
    BIND(t, IGPFunctionFactory, GetFunctionName);
    BIND(t, IGPFunctionFactory, GetFunctionEnvironments);
    BIND(t, IGPFunctionFactory, GetFunctionNamesInCategory);
    BIND(t, IGPFunctionFactory, GetFunctionNames);

    BIND(t, IGPParseString, Init);
    BIND(t, IGPParseString, NextToken);
    BIND(t, IGPParseString, NextPlainToken);
    BIND(t, IGPParseString, get_NextIsGrouped);
    BIND(t, IGPParseString, AddCharacter);
    // IGPParseString2 repeats the five operations above before its own.
    BIND(t, IGPParseString2, Init);
    BIND(t, IGPParseString2, NextToken);
    BIND(t, IGPParseString2, NextPlainToken);
    BIND(t, IGPParseString2, get_NextIsGrouped);
    BIND(t, IGPParseString2, AddCharacter);
    BIND(t, IGPParseString2, get_Rest);
    BIND(t, IGPParseString2, NextDouble);
    BIND(t, IGPParseString2, NextLong);
    BIND(t, IGPParseString2, NextBool);
    BIND(t, IGPParseString2, NeedsQuote);
    BIND(t, IGPParseString2, Quote);
    BIND(t, IGPParseString2, ParseDouble);
    BIND(t, IGPParseString2, FormatDouble);
    BIND(t, IGPParseStringImpl, NextDoubleQuotedToken);
    BIND(t, IGPParseStringImpl, NextGroupedToken);
}

} // namespace tavigp
