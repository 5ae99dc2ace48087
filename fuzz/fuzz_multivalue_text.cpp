// Arbitrary text given to the list grammar of multi-values and to the records-and-blanks grammar of value tables:
// whatever the members' (or records' values') texts it reads, writing them and reading the result must give the same
// texts back, and the escaped-separator form's body must be found without fault. No input may crash or hang.
#include "host/MultiValueText.h"
#include "platform/Utf.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

using namespace tavi;

namespace {

using Records = std::vector<std::vector<String>>;

Records ReadRecords(std::u16string_view text) {
    Records records;
    multivaluetext::SplitRecords(text, [&](std::vector<String>& cells) {
        records.push_back(cells);
        return true;
    });
    return records;
}

void TableReadsBack(std::u16string_view text) {
    Records records = ReadRecords(text);
    multivaluetext::TableWriter writer;
    for (const auto& record : records) {
        writer.BeginRecord();
        for (const auto& cell : record)
            writer.AddCell(cell);
    }
    if (ReadRecords(writer.Finish()) != records) {
        std::fprintf(stderr, "the records of the written table differ from those read\n");
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    TableReadsBack(text);
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
