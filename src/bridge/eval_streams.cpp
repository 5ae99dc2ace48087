// Bridge requests on memory streams: {"stream": "new" | "fromhex" | "hex" | "rewind", …}.
#include "bridge/Marshal.h"
#include "bridge/Requests.h"
#include "bridge/StreamContent.h"

#include "tavi/Stream.h"

namespace tavigp {
namespace {

// A stream's content larger than this is not turned into hex text (a reply line is held in memory whole).
constexpr uint64_t kMaxHexBytes = 64u << 20;

// "docversion": "current" (also when absent), "older:K" or "newer:K", as the library numbers document versions.
int32_t DocumentVersionOf(const Json& request) {
    std::string name = OptionalString(request, "docversion").value_or("current");
    int32_t version = 0;
    if (FAILED(TaviDocumentVersionFromName(name.c_str(), &version)))
        throw BridgeError("unknown document version '" + name + "' (\"current\", \"older:K\" or \"newer:K\")");
    return version;
}

tavi::ComPtr<IStream> StreamOf(Session& session, const Json& request) {
    std::string name = RequiredString(request, "of");
    auto stream = tavi::QueryAs<IStream>(session.Find(name));
    if (!stream)
        throw BridgeError("object '" + name + "' is not a stream");
    return stream;
}

Json Create(Session& session, const Json& request, const std::vector<uint8_t>& bytes) {
    std::string as = RequiredString(request, "as");
    int32_t version = DocumentVersionOf(request);
    tavi::ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnMemory(bytes.empty() ? nullptr : bytes.data(), static_cast<ULONG>(bytes.size()), version,
                                      stream.Out());
    if (SUCCEEDED(hr) && stream)
        session.Store(as, tavi::ComPtr<IUnknown>(stream.Get()));
    return ResultReply(hr);
}

// The whole content, read from the start; the stream's position is put back afterwards.
Json Hex(Session& session, const Json& request) {
    std::vector<uint8_t> bytes;
    Json reply = ResultReply(ReadWholeStream(StreamOf(session, request).Get(), kMaxHexBytes, bytes));
    reply["hex"] = HexText(bytes);
    return reply;
}

Json Rewind(Session& session, const Json& request) {
    return ResultReply(StreamOf(session, request)->Seek(0, STREAM_SEEK_SET, nullptr));
}

Json Stream(Session& session, const Json& request) {
    std::string what = RequiredString(request, "stream");
    if (what == "new")
        return Create(session, request, {});
    if (what == "fromhex") {
        std::string why;
        auto bytes = ParseHex(RequiredString(request, "hex"), &why);
        if (!bytes)
            throw BridgeError("\"hex\": " + why);
        return Create(session, request, *bytes);
    }
    if (what == "hex")
        return Hex(session, request);
    if (what == "rewind")
        return Rewind(session, request);
    throw BridgeError("\"stream\" is \"new\", \"fromhex\", \"hex\" or \"rewind\"");
}

} // namespace

void StreamRequestFamily(RequestTable& table) {
    table.Add("stream", &Stream);
}

} // namespace tavigp
