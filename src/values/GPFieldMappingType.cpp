// The field mapping data type: see GPFieldMappingType.h.
#include "values/GPFieldMappingType.h"

#include "data/Field.h"
#include "platform/HandOut.h"
#include "values/FieldMapText.h"
#include "values/GPFieldMap.h"

namespace tavi {

namespace {

// `text` escaped for an attribute in apostrophes: ampersand, less-than, greater-than, apostrophe and double quote.
void AppendEscaped(String& out, std::u16string_view text) {
    for (char16_t c : text) {
        switch (c) {
        case u'&':
            out += u"&amp;";
            break;
        case u'<':
            out += u"&lt;";
            break;
        case u'>':
            out += u"&gt;";
            break;
        case u'\'':
            out += u"&apos;";
            break;
        case u'"':
            out += u"&quot;";
            break;
        default:
            out += c;
        }
    }
}

HRESULT AppendSource(String& out, IDEGdbTable7* table, int32_t index) {
    BStr name;
    if (auto element = QueryAs<IDataElement>(table))
        element->get_Name(name.Out());
    out += u"<source value='";
    AppendEscaped(out, name.view());
    out += u"' layer_id='";
    out += FormatInteger("%d", index);
    out += u"' path='";
    AppendEscaped(out, CatalogPathOf(table));
    out += u"'>";
    ComPtr<IFields> fields;
    int32_t count = 0;
    if (FAILED(table->get_Fields(fields.Out())) || !fields || FAILED(fields->get_FieldCount(&count)))
        return E_FAIL;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IField> field;
        FieldProperties p;
        if (FAILED(fields->get_Field(i, field.Out())) || FAILED(ReadFieldProperties(field.Get(), p)))
            return E_FAIL;
        out += u"<field name='";
        AppendEscaped(out, p.name);
        out += u"' type='";
        AppendEscaped(out, fieldmaptext::FieldTypeKeyword(p.type));
        out += u"' length='";
        out += FormatInteger("%d", p.length);
        out += u"'/>";
    }
    out += u"</source>";
    return S_OK;
}

} // namespace

HRESULT GPFieldMappingType::GetValueSupport(IGPValue* value, BSTR* support) {
    if (HRESULT hr = ClearOut(support); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto mapping = QueryAs<IGPFieldMappingImpl>(value);
        if (!mapping)
            return S_FALSE;
        ComPtr<IDEGdbTable7> target;
        int32_t count = 0;
        if (FAILED(mapping->get_TargetTable(target.Out())) || FAILED(mapping->get_InputTableCount(&count)))
            return E_FAIL;
        String out = u"<value-support schema_locked='";
        out += target ? u"true" : u"false";
        out += u"'>";
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IDEGdbTable7> table;
            if (FAILED(mapping->get_InputTable(i, table.Out())) || FAILED(AppendSource(out, table.Get(), i)))
                return E_FAIL;
        }
        out += u"</value-support>";
        return HandOut(out, support);
    });
}

} // namespace tavi
