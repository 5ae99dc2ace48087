// The frame of the stream and XML forms that values, variables and domains share: the version, the base part, the
// dirty flag, the XML type name, and reads that change nothing when they fail.
//
// A class fills in the hooks and the frame runs the interface operations around them:
//   Save:        SaveVersionFor (the newest by default; -1 writes nothing and succeeds; any other version outside
//                1..NewestStreamVersion() or below OldestStreamVersion() fails with nothing written), the 16-bit
//                version, SaveBase, SaveContent, then ClearDirty() when asked;
//   Load:        the 16-bit version (E_FAIL outside OldestStreamVersion()..NewestStreamVersion()), LoadBase,
//                LoadContent, then ClearDirty();
//   Serialize:   XmlTypeName and XmlTypeNamespace, SerializeBase, then SerializeContent unless SerializeBase said
//                the content is absent (an empty value);
//   Deserialize: SetDirty(), DeserializeBase, then DeserializeContent unless the base said the content is absent
//                (a class whose read leaves it clean says so in its hooks).
// Every failure of the stream form is E_FAIL.
//
// Reads are transactional: Load and Deserialize run on a staged object, and the object takes the staged state only
// when the whole form was read. A failed read therefore leaves the object exactly as it was, whatever point of the
// form it failed at, and the hooks may write straight into the staged object's fields. Load stages on a new object
// of the class (a stream holds the whole state: what an older version does not store takes its default, as on a new
// object); Deserialize stages on a copy of the object (an element an XML document leaves out keeps its value).
// The templates of the value and domain bases supply the staging through StageRead below; a class whose readers
// already commit only at their end may run them in place (RunStaged's default).
#pragma once

#include "host/String.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "tavi/Geoprocessing.h"
#include "tavi/Stream.h"

#include <functional>

namespace tavi {

class PersistFrame {
public:
    // A read run on a staged object (RunStaged).
    using StagedRead = std::function<HRESULT(PersistFrame& staged)>;

    bool IsDirtyFlag() const { return dirty_; }
    void SetDirty() { dirty_ = true; }
    void ClearDirty() { dirty_ = false; }

protected:
    PersistFrame() = default;
    PersistFrame(const PersistFrame&) = delete;
    PersistFrame& operator=(const PersistFrame&) = delete;
    virtual ~PersistFrame() = default;

    // --- hooks ---
    // The versions of the stream form the class reads; it writes the newest unless SaveVersionFor says otherwise.
    virtual uint16_t NewestStreamVersion() const = 0;
    virtual uint16_t OldestStreamVersion() const { return 0; }
    virtual int32_t SaveVersionFor(IStream* stream);
    // The base part, between the version and the content (none by default).
    virtual HRESULT SaveBase(IStream* stream);
    virtual HRESULT LoadBase(IStream* stream);
    // The class's own fields after the base part.
    virtual HRESULT SaveContent(IStream* stream, uint16_t version) = 0;
    virtual HRESULT LoadContent(IStream* stream, uint16_t version) = 0;
    // The XML type name and namespace (the value namespace by default).
    virtual const OLECHAR* XmlTypeName() const = 0;
    virtual String XmlTypeNamespace() const;
    // The XML base part (none by default). *contentFollows false ends the form after the base part.
    virtual HRESULT SerializeBase(IXMLSerializeData* data, bool* contentFollows);
    virtual HRESULT DeserializeBase(IXMLSerializeData* data, bool* contentFollows);
    virtual HRESULT SerializeContent(IXMLSerializeData* data) = 0;
    virtual HRESULT DeserializeContent(IXMLSerializeData* data) = 0;

    // Runs `read` on a staged object of the class (a new one, or a copy of this one with `fromCurrent`) and, when it
    // succeeds, makes this object take the staged state. The default runs `read` on this object itself.
    virtual HRESULT RunStaged(bool fromCurrent, const StagedRead& read);

    // True while a Save that clears the dirty flag runs: objects saved inside this one clear theirs too.
    bool SaveClearsDirty() const { return saveClearsDirty_; }

    // --- the interface operations ---
    HRESULT FrameSave(IStream* stream, int32_t clearDirty);
    HRESULT FrameLoad(IStream* stream);
    HRESULT FrameSerialize(IXMLSerializeData* data);
    HRESULT FrameDeserialize(IXMLSerializeData* data);

private:
    HRESULT LoadInPlace(IStream* stream);
    HRESULT DeserializeInPlace(IXMLSerializeData* data);

    bool dirty_ = false;
    bool saveClearsDirty_ = false;
};

// RunStaged of a class `Derived` that answers IClone: the staged object is a new Derived (made directly, without
// the class table), filled from `self` first when `fromCurrent`; `self` takes its state through Assign, and its
// dirty flag from the staged object.
template <class Derived> HRESULT StageRead(Derived* self, bool fromCurrent, const PersistFrame::StagedRead& read) {
    ComPtr<Derived> staged = MakeObject<Derived>();
    HRESULT hr = S_OK;
    if (fromCurrent && FAILED(hr = staged->Assign(static_cast<IClone*>(self))))
        return hr;
    if (FAILED(hr = read(*staged)) || FAILED(hr = self->Assign(static_cast<IClone*>(staged.Get()))))
        return hr;
    if (staged->IsDirtyFlag()) // the reader's word on the dirty flag, not Assign's
        self->SetDirty();
    else
        self->ClearDirty();
    return S_OK;
}

} // namespace tavi
