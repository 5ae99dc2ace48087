// The chunked copy behind the platform streams' CopyTo.
#include "platform/StreamBase.h"

#include <algorithm>
#include <vector>

namespace tavi {

HRESULT CopyStreamBytes(IStream* source, IStream* target, uint64_t size, uint64_t* read, uint64_t* written) {
    if (read)
        *read = 0;
    if (written)
        *written = 0;
    if (!target)
        return STG_E_INVALIDPOINTER;
    return guard([&]() -> HRESULT {
        std::vector<uint8_t> chunk(64 * 1024);
        uint64_t totalRead = 0, totalWritten = 0;
        HRESULT hr = S_OK;
        while (totalRead < size) {
            ULONG want = static_cast<ULONG>(std::min<uint64_t>(chunk.size(), size - totalRead));
            ULONG got = 0;
            hr = source->Read(chunk.data(), want, &got);
            if (FAILED(hr) || got == 0)
                break;
            totalRead += got;
            ULONG put = 0;
            hr = target->Write(chunk.data(), got, &put);
            totalWritten += put;
            if (FAILED(hr))
                break;
            if (put < got) {
                hr = STG_E_MEDIUMFULL;
                break;
            }
        }
        if (read)
            *read = totalRead;
        if (written)
            *written = totalWritten;
        return FAILED(hr) ? hr : S_OK;
    });
}

} // namespace tavi
