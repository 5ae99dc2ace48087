// The members of the layer family with fields of their own, and the stream wrapper that keeps a stream's failure
// code for the members that report it.
#include "layers/LayerMembers.h"

#include "host/GPValue.h"
#include "host/XmlNamespace.h"
#include "tavi/Xml.h"

namespace tavi {

namespace {

// Forwards every operation to a stream and remembers the first failure code the stream gave.
class FailureRecordingStream final
    : public Object<FailureRecordingStream, IStream, Alias<ISequentialStream, IStream>, IStreamDocumentVersion> {
public:
    explicit FailureRecordingStream(IStream* inner) : inner_(inner) {}

    HRESULT Failure() const { return failure_; }

    HRESULT Read(void* buffer, ULONG size, ULONG* read) override { return Note(inner_->Read(buffer, size, read)); }
    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override {
        return Note(inner_->Write(buffer, size, written));
    }
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override {
        return Note(inner_->Seek(move, origin, newPosition));
    }
    HRESULT SetSize(uint64_t size) override { return Note(inner_->SetSize(size)); }
    HRESULT CopyTo(IStream* target, uint64_t size, uint64_t* read, uint64_t* written) override {
        return Note(inner_->CopyTo(target, size, read, written));
    }
    HRESULT Commit(DWORD flags) override { return Note(inner_->Commit(flags)); }
    HRESULT Revert() override { return Note(inner_->Revert()); }
    HRESULT LockRegion(uint64_t offset, uint64_t size, DWORD lockType) override {
        return Note(inner_->LockRegion(offset, size, lockType));
    }
    HRESULT UnlockRegion(uint64_t offset, uint64_t size, DWORD lockType) override {
        return Note(inner_->UnlockRegion(offset, size, lockType));
    }
    HRESULT Stat(STATSTG* stat, DWORD flags) override { return Note(inner_->Stat(stat, flags)); }
    HRESULT Clone(IStream** clone) override { return Note(inner_->Clone(clone)); }

    // IStreamDocumentVersion: the wrapped stream's.
    HRESULT get_DocumentVersion(int32_t* version) override {
        return HandOutValue(AfStreamGetDocumentVersion(inner_.Get()), version);
    }
    HRESULT put_DocumentVersion(int32_t version) override {
        auto versioned = QueryAs<IStreamDocumentVersion>(inner_.Get());
        return versioned ? versioned->put_DocumentVersion(version) : E_NOTIMPL;
    }

private:
    HRESULT Note(HRESULT hr) {
        if (FAILED(hr) && SUCCEEDED(failure_))
            failure_ = hr;
        return hr;
    }

    ComPtr<IStream> inner_;
    HRESULT failure_ = S_OK;
};

template <class F> HRESULT ReadElement(IXMLSerializeData* data, const char16_t* name, F&& read) {
    int32_t index = -1;
    if (FAILED(data->Find(name, &index)))
        return E_FAIL;
    if (index < 0)
        return S_OK;
    return read(index);
}

} // namespace

HRESULT LoadPassingStreamFailure(IStream* stream, const std::function<HRESULT(IStream*)>& load) {
    auto recorder = MakeObject<FailureRecordingStream>(stream);
    HRESULT hr = load(static_cast<IStream*>(recorder.Get()));
    if (FAILED(hr) && FAILED(recorder->Failure()))
        return recorder->Failure();
    return hr;
}

// --- GPElevationSurfaceLayer ---

HRESULT GPElevationSurfaceLayer::SerializeOwn(IXMLSerializeData* data) {
    return data->AddInteger(u"SurfaceSourceKind", surfaceKind_);
}

HRESULT GPElevationSurfaceLayer::DeserializeOwn(IXMLSerializeData* data) {
    return ReadElement(data, u"SurfaceSourceKind",
                       [&](int32_t index) { return data->GetInteger(index, &surfaceKind_); });
}

HRESULT GPElevationSurfaceLayer::AssignOwn(IClone* source) {
    if (auto surface = QueryAs<IGPElevationSurfaceLayer>(source))
        return surface->get_SurfaceSourceKind(&surfaceKind_);
    surfaceKind_ = 0;
    return S_OK;
}

bool GPElevationSurfaceLayer::SameOwnAs(IClone* other) {
    int32_t kind = 0;
    auto surface = QueryAs<IGPElevationSurfaceLayer>(other);
    return surface && SUCCEEDED(surface->get_SurfaceSourceKind(&kind)) && kind == surfaceKind_;
}

HRESULT GPElevationSurfaceLayer::Empty() {
    surfaceKind_ = 0;
    return LayerMemberBase::Empty();
}

// --- GPRasterLayer ---

HRESULT GPRasterLayer::SerializeOwn(IXMLSerializeData* data) {
    return data->AddString(u"Bands", bands_.c_str());
}

HRESULT GPRasterLayer::DeserializeOwn(IXMLSerializeData* data) {
    return ReadElement(data, u"Bands", [&](int32_t index) -> HRESULT {
        BStr text;
        if (HRESULT hr = data->GetString(index, text.Out()); FAILED(hr))
            return hr;
        bands_ = text.str();
        return S_OK;
    });
}

HRESULT GPRasterLayer::AssignOwn(IClone* source) {
    bands_.clear();
    if (auto raster = QueryAs<IGPRasterLayer2>(source))
        ReadThrough(raster.Get(), &IGPRasterLayer2::get_Bands, bands_);
    return S_OK;
}

bool GPRasterLayer::SameOwnAs(IClone* other) {
    String theirs;
    return ReadThrough(other, &IGPRasterLayer2::get_Bands, theirs) && theirs == bands_;
}

HRESULT GPRasterLayer::Empty() {
    bands_.clear();
    return LayerMemberBase::Empty();
}

// --- GPLasDatasetLayer ---

int32_t GPLasDatasetLayer::SaveVersionFor(IStream* stream) {
    int32_t version = LayerMemberBase::SaveVersionFor(stream);
    // A layer read from a version 2 form writes that form again, so that its further object is not lost.
    return version >= 1 && further_ ? 2 : version;
}

HRESULT GPLasDatasetLayer::SaveLast(IStream* stream, uint16_t version) {
    return version >= 2 ? SaveObject(further_.Get(), stream, SaveClearsDirty()) : S_OK;
}

HRESULT GPLasDatasetLayer::LoadLast(IStream* stream, uint16_t version) {
    further_ = nullptr;
    return version >= 2 ? LoadObject(stream, IUnknown::iid, further_.OutVoid()) : S_OK;
}

HRESULT GPLasDatasetLayer::AssignOwn(IClone* source) {
    auto* las = dynamic_cast<GPLasDatasetLayer*>(QueryAs<IGPLasDatasetLayer>(source).Get());
    further_ = las ? las->further_ : nullptr;
    return S_OK;
}

HRESULT GPLasDatasetLayer::Empty() {
    further_ = nullptr;
    return LayerMemberBase::Empty();
}

// --- GPRasterDataLayer ---

HRESULT GPRasterDataLayer::Empty() {
    return guard([&] {
        path_.clear();
        format_ = kDefaultFormat;
        object_ = nullptr;
        return BaseEmpty();
    });
}

HRESULT GPRasterDataLayer::SetAsText(const OLECHAR* text, IGPMessage** message) {
    return SetAsTextWith(text, message, 0, [&](std::u16string_view read) {
        path_ = String(read);
        SetModified();
        return true;
    });
}

HRESULT GPRasterDataLayer::Assign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto* other = dynamic_cast<GPRasterDataLayer*>(QueryAs<IGPRasterDataLayer>(source).Get());
        if (!other)
            return E_INVALIDARG;
        if (other != this) {
            path_ = other->path_;
            format_ = other->format_;
            object_ = other->object_;
        }
        return BaseAssign(source);
    });
}

HRESULT GPRasterDataLayer::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&]() -> HRESULT {
        auto* theirs = dynamic_cast<GPRasterDataLayer*>(QueryAs<IGPRasterDataLayer>(other).Get());
        if (!theirs || theirs->path_ != path_ || theirs->format_ != format_ ||
            !EqualByClone(object_.Get(), theirs->object_.Get()))
            return S_OK;
        return BaseIsEqual(other, equal);
    });
}

HRESULT GPRasterDataLayer::SaveContent(IStream* stream, uint16_t) {
    if (FAILED(WriteString(stream, path_)) || FAILED(SaveObject(object_.Get(), stream, SaveClearsDirty())) ||
        FAILED(WriteString(stream, format_)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPRasterDataLayer::LoadContent(IStream* stream, uint16_t) {
    if (FAILED(ReadString(stream, &path_)) || FAILED(LoadObject(stream, IUnknown::iid, object_.OutVoid())) ||
        FAILED(ReadString(stream, &format_)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPRasterDataLayer::SerializeContent(IXMLSerializeData* data) {
    if (HRESULT hr = data->AddString(u"Path", path_.c_str()); FAILED(hr))
        return hr;
    return data->AddString(u"Format", format_.c_str());
}

HRESULT GPRasterDataLayer::DeserializeContent(IXMLSerializeData* data) {
    auto readText = [&](const char16_t* name, String& field) {
        return ReadElement(data, name, [&](int32_t index) -> HRESULT {
            BStr text;
            if (FAILED(data->GetString(index, text.Out())))
                return E_FAIL;
            field = text.str();
            return S_OK;
        });
    };
    if (FAILED(readText(u"Path", path_)) || FAILED(readText(u"Format", format_)))
        return E_FAIL;
    return S_OK;
}

namespace {
template <class Kind> LayerKindOfData KindOf() {
    return {Kind::kValueName, Kind::kValueClassId};
}
} // namespace

LayerKindOfData LayerKindFor(IDataElement* element) {
    if (auto description = QueryAs<IDEGdbFeatureClass3>(element)) {
        int32_t featureType = taviFeatureTypeSimple;
        description->get_FeatureType(&featureType);
        switch (featureType) {
        case taviFeatureTypeAnnotation:
            return KindOf<layerkinds::AnnotationLayer>();
        case taviFeatureTypeDimension:
            return KindOf<layerkinds::DimensionLayer>();
        case taviFeatureTypeOrientedImagery:
            return KindOf<layerkinds::OrientedImageryLayer>();
        default:
            return KindOf<layerkinds::FeatureLayer>();
        }
    }
    if (AnswersAny(element, {IFeatureClass::iid}))
        return KindOf<layerkinds::FeatureLayer>();
    if (AnswersAny(element, {ITable::iid}))
        return KindOf<layerkinds::TableView>();
    if (AnswersAny(element, {IRasterDataset::iid}))
        return KindOf<layerkinds::RasterLayer>();
    if (AnswersAny(element, {IDETin::iid}))
        return KindOf<layerkinds::TinLayer>();
    if (AnswersAny(element, {IDETerrain::iid}))
        return KindOf<layerkinds::TerrainLayer>();
    if (AnswersAny(element, {IDELasDataset::iid}))
        return KindOf<layerkinds::LasDatasetLayer>();
    if (AnswersAny(element, {IDETopology::iid}))
        return KindOf<layerkinds::TopologyLayer>();
    return {nullptr, GUID_NULL};
}

} // namespace tavi
