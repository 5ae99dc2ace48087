// The value table: records of one value per column, each column of its own data type (host/GPValueTableBase.h has
// its behaviour, forms and grammar). This class gives its identities; its XML type name is "GPValueTable".
#pragma once

#include "host/GPValueTableBase.h"

namespace tavi {

class GPValueTable final : public GPValueTableBase<GPValueTable> {
public:
    static constexpr CLSID kClassId = CLSID_GPValueTable;
    static constexpr const char16_t* kClassName = u"GPValueTable";

    GPValueTable() : GPValueTableBase(kClassId, CLSID_GPValueTableType) {}
};

} // namespace tavi
