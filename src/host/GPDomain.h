// The domain base: the class identifier of a domain, cloning, and the unpacking of the values a domain checks, on
// the persistence frame that values and domains share (host/PersistFrame.h: version, dirty flag, XML type name,
// transactional reads staged on another object of the class and committed through Assign).
//
// A domain class lists DomainInterfaces (or the same rows in its own order) and its own interfaces:
//
//   class GPCodedValueDomain final
//       : public GPDomain<GPCodedValueDomain, DomainInterfaces, IGPCodedValueDomain> {
//   public:
//       GPCodedValueDomain() : GPDomain(kClassId) {}
//   };
//
// and implements MemberOf, Assign, IsEqual and the frame's content hooks (SaveContent, LoadContent,
// SerializeContent, DeserializeContent; SaveVersionFor and OldestStreamVersion where its versions need them),
// with `static constexpr uint16_t kStreamVersion` the newest version it reads. The base has no stream or XML part of
// its own: after the version and the type name, a domain's forms are entirely its class's.
#pragma once

#include "host/PersistFrame.h"
#include "platform/Object.h"
#include "tavi/Geoprocessing.h"
#include "tavi/Stream.h"

namespace tavi {

using DomainInterfaces = Rows<IGPDomain, IXMLSerialize, IClone, IPersistStream, Alias<IPersist, IPersistStream>>;

class GPDomainCore : public PersistFrame {
public:
    const CLSID& DomainClassId() const { return classId_; }

    // The value `value` stands for (see ResolveValue).
    static HRESULT UnpackValue(IGPValue* value, IGPValue** actual);

protected:
    explicit GPDomainCore(const CLSID& classId) : classId_(classId) {}

    HRESULT CoreClone(IClone* self, IClone** clone);
    static HRESULT CoreIsIdentical(IClone* self, IClone* other, VARIANT_BOOL* identical);

private:
    CLSID classId_;
};

HRESULT SaveFormSize(IPersistStream* object, uint64_t* size);

template <class Derived, class... R> class GPDomain : public Object<Derived, R...>, public GPDomainCore {
public:
    // IClone (Assign and IsEqual are the domain class's)
    HRESULT Clone(IClone** clone) override { return CoreClone(SelfClone(), clone); }
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override {
        return CoreIsIdentical(SelfClone(), other, identical);
    }

    // IPersistStream
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
    HRESULT Save(IStream* stream, int32_t clearDirty) override { return FrameSave(stream, clearDirty); }
    HRESULT Load(IStream* stream) override { return FrameLoad(stream); }

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override { return FrameSerialize(data); }
    HRESULT Deserialize(IXMLSerializeData* data) override { return FrameDeserialize(data); }

protected:
    explicit GPDomain(const CLSID& classId) : GPDomainCore(classId) {}

private:
    Derived* Self() { return static_cast<Derived*>(this); }
    IClone* SelfClone() { return static_cast<IClone*>(Self()); }
    uint16_t NewestStreamVersion() const override { return Derived::kStreamVersion; }
    const OLECHAR* XmlTypeName() const override { return Derived::kClassName; }
    HRESULT RunStaged(bool fromCurrent, const StagedRead& read) override {
        return StageRead(Self(), fromCurrent, read);
    }
};

} // namespace tavi
