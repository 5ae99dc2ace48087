// The record set value (GPRecordSet) and the feature set value (GPFeatureRecordSetLayer): see RecordSetValue.h.
#pragma once

#include "layers/RecordSetValue.h"

namespace tavi {

class GPRecordSet final : public RecordSetValue<GPRecordSet, false> {
public:
    static constexpr CLSID kClassId = CLSID_GPRecordSet;
    static constexpr const char16_t* kClassName = u"GPRecordSet";
    GPRecordSet() : RecordSetValue(kClassId, CLSID_GPRecordSetType) {}
};

class GPFeatureRecordSetLayer final : public RecordSetValue<GPFeatureRecordSetLayer, true> {
public:
    static constexpr CLSID kClassId = CLSID_GPFeatureRecordSetLayer;
    static constexpr const char16_t* kClassName = u"GPFeatureRecordSetLayer";
    GPFeatureRecordSetLayer() : RecordSetValue(kClassId, CLSID_GPFeatureRecordSetLayerType) {}
};

} // namespace tavi
