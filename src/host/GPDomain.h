// The domain base: the class identifier and dirty flag of a domain, cloning, the persistence plumbing and the
// unpacking of the values a domain checks.
//
// A domain class lists DomainInterfaces (or the same rows in its own order) and its own interfaces:
//
//   class GPCodedValueDomain final
//       : public GPDomain<GPCodedValueDomain, DomainInterfaces, IGPCodedValueDomain> {
//   public:
//       GPCodedValueDomain() : GPDomain(kClassId) {}
//   };
//
// and implements MemberOf, Assign, IsEqual, Load, Save, Serialize and Deserialize. The base has no stream or XML
// part of its own: a domain's forms are entirely its class's.
#pragma once

#include "platform/Object.h"
#include "tavi/Geoprocessing.h"
#include "tavi/Stream.h"

namespace tavi {

using DomainInterfaces = Rows<IGPDomain, IXMLSerialize, IClone, IPersistStream, Alias<IPersist, IPersistStream>>;

class GPDomainCore {
public:
    bool IsDirtyFlag() const { return dirty_; }
    void SetDirty() { dirty_ = true; }
    void ClearDirty() { dirty_ = false; }
    const CLSID& DomainClassId() const { return classId_; }

    // The value `value` stands for (see ResolveValue).
    static HRESULT UnpackValue(IGPValue* value, IGPValue** actual);

protected:
    explicit GPDomainCore(const CLSID& classId) : classId_(classId) {}
    virtual ~GPDomainCore() = default;

    HRESULT CoreClone(IClone* self, IClone** clone);
    static HRESULT CoreIsIdentical(IClone* self, IClone* other, VARIANT_BOOL* identical);

private:
    CLSID classId_;
    bool dirty_ = false;
};

HRESULT SaveFormSize(IPersistStream* object, uint64_t* size);

template <class Derived, class... R> class GPDomain : public Object<Derived, R...>, public GPDomainCore {
public:
    // IClone (Assign and IsEqual are the domain class's)
    HRESULT Clone(IClone** clone) override { return CoreClone(SelfClone(), clone); }
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override {
        return CoreIsIdentical(SelfClone(), other, identical);
    }

    // IPersistStream (Load and Save are the domain class's)
    HRESULT GetClassID(CLSID* clsid) override {
        if (!clsid)
            return E_POINTER;
        *clsid = DomainClassId();
        return S_OK;
    }
    HRESULT IsDirty() override { return IsDirtyFlag() ? S_OK : S_FALSE; }
    HRESULT GetSizeMax(uint64_t* size) override {
        return SaveFormSize(static_cast<IPersistStream*>(static_cast<Derived*>(this)), size);
    }

protected:
    explicit GPDomain(const CLSID& classId) : GPDomainCore(classId) {}

private:
    IClone* SelfClone() { return static_cast<IClone*>(static_cast<Derived*>(this)); }
};

} // namespace tavi
