// Arbitrary bytes as UTF-16 text, converted to every scalar kind and read as a date under a few locales and
// calendars; whatever converts is written back to text. Must never crash, hang or leak.
#include "tavi/Platform.h"

#include <cstring>
#include <vector>

namespace {

constexpr VARTYPE kKinds[] = {VT_EMPTY, VT_NULL, VT_I1, VT_I2, VT_I4, VT_I8,   VT_UI1,  VT_UI2,  VT_UI4,  VT_UI8,
                              VT_INT,   VT_UINT, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BSTR, VT_BOOL, VT_ERROR};

struct Setup {
    LCID lcid;
    uint16_t variantFlags;
    uint32_t dateFlags;
};

constexpr Setup kSetups[] = {
    {1033, 0, 0},
    {1031, VARIANT_LOCALBOOL, 0},
    {1036, VARIANT_ALPHABOOL, 0},
    {1025, VARIANT_CALENDAR_HIJRI, VAR_CALENDAR_HIJRI},
    {1054, VARIANT_CALENDAR_THAI, VAR_CALENDAR_THAI},
    {1041, 0, VAR_TIMEVALUEONLY},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    std::vector<OLECHAR> text(size / 2);
    if (!text.empty())
        std::memcpy(text.data(), data, text.size() * sizeof(OLECHAR));
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocStringLen(text.data(), uint32_t(text.size()));
    // The text as a C string stops at the first zero, as a caller's would.
    std::vector<OLECHAR> terminated(text);
    terminated.push_back(0);

    for (const Setup& setup : kSetups) {
        for (VARTYPE kind : kKinds) {
            VARIANT converted, back;
            VariantInit(&converted);
            VariantInit(&back);
            if (SUCCEEDED(VariantChangeTypeEx(&converted, &source, setup.lcid, setup.variantFlags, kind)))
                VariantChangeTypeEx(&back, &converted, setup.lcid, setup.variantFlags, VT_BSTR);
            VariantClear(&converted);
            VariantClear(&back);
        }
        DATE date = 0;
        if (SUCCEEDED(VarDateFromStr(terminated.data(), setup.lcid, setup.dateFlags, &date))) {
            BSTR formatted = nullptr;
            VarBstrFromDate(date, setup.lcid, setup.dateFlags, &formatted);
            SysFreeString(formatted);
        }
    }
    VariantClear(&source);
    return 0;
}
