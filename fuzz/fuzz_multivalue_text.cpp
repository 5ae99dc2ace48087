// Arbitrary text given to the list grammar of multi-values: whatever the members' texts it reads, writing them and
// reading the result must give the same texts back, and the escaped-separator form's body must be found without
// fault. No input may crash or hang.
#include "host/MultiValueText.h"
#include "platform/Utf.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

using namespace tavi;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    multivaluetext::FormOf(text);
    multivaluetext::EscapedSeparatorBody(text);
    std::vector<String> members = multivaluetext::Split(text);
    std::vector<std::optional<String>> written(members.begin(), members.end());
    String again = multivaluetext::Join(written);
    if (multivaluetext::Split(again) != members) {
        std::fprintf(stderr, "the members of the written list differ from those read\n");
        std::abort();
    }
    return 0;
}
