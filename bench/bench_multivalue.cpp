// A multi-value of string members read from its text and written back, beside the least such a list must do: the
// same text split at every ";" and a plain string value made of each part (created through the class table and given
// its text), and those values' texts joined with ";". Lists of 10,000, 100,000 and 1,000,000 members show whether the
// time per member stays flat (linear reading and writing); every tenth member holds a blank, so it is quoted.
#include "host/CreateInstance.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "support/Rounds.h"
#include "tavi/Entry.h"
#include "tavi/GPComposite.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using tavi::ComPtr;

std::u16string MakeList(int64_t members) {
    std::u16string text;
    for (int64_t i = 0; i < members; ++i) {
        if (i)
            text += u';';
        std::string number = std::to_string(i);
        std::u16string digits(number.begin(), number.end());
        text += i % 10 == 0 ? u"'item " + digits + u"'" : u"item" + digits;
    }
    return text;
}

ComPtr<IGPValue> NewString() {
    ComPtr<IGPValue> value;
    tavi::AfCreateInstance(CLSID_GPString, nullptr, tavi::CLSCTX_INPROC_SERVER, IGPValue::iid, value.OutVoid());
    return value;
}

// The reference reading: split at ";" (the quoted parts hold no ";"), one string value per part.
std::vector<ComPtr<IGPValue>> SplitIntoValues(const std::u16string& text) {
    std::vector<ComPtr<IGPValue>> values;
    size_t from = 0;
    while (from <= text.size()) {
        size_t at = text.find(u';', from);
        if (at == std::u16string::npos)
            at = text.size();
        ComPtr<IGPValue> value = NewString();
        ComPtr<IGPMessage> message;
        value->SetAsText(text.substr(from, at - from).c_str(), message.Out());
        values.push_back(std::move(value));
        from = at + 1;
    }
    return values;
}

// The reference writing: the values' texts joined with ";".
std::u16string JoinTexts(const std::vector<ComPtr<IGPValue>>& values) {
    std::u16string text;
    for (const auto& value : values) {
        if (!text.empty())
            text += u';';
        tavi::BStr part;
        value->GetAsText(part.Out());
        text += part.view();
    }
    return text;
}

enum Side : size_t { kRead, kReadReference, kWrite, kWriteReference };

void MultiValueBesideSplitting(benchmark::State& state) {
    tavi::SetModuleClassSource(&DllGetClassObject);
    const int64_t members = state.range(0);
    const std::u16string text = MakeList(members);
    ComPtr<IGPDataType> stringType;
    tavi::AfCreateInstance(CLSID_GPStringType, nullptr, tavi::CLSCTX_INPROC_SERVER, IGPDataType::iid,
                           stringType.OutVoid());
    ComPtr<IGPMultiValue> list;
    tavi::AfCreateInstance(CLSID_GPMultiValue, nullptr, tavi::CLSCTX_INPROC_SERVER, IGPMultiValue::iid, list.OutVoid());
    list->putref_MemberDataType(stringType.Get());
    auto value = tavi::QueryAs<IGPValue>(list.Get());
    tavibench::Rounds rounds;
    std::vector<ComPtr<IGPValue>> parts;
    for (auto _ : state) {
        rounds.Time(kRead, [&] {
            ComPtr<IGPMessage> message;
            value->SetAsText(text.c_str(), message.Out());
        });
        rounds.Time(kReadReference, [&] { parts = SplitIntoValues(text); });
        rounds.Time(kWrite, [&] {
            tavi::BStr written;
            value->GetAsText(written.Out());
            benchmark::DoNotOptimize(written.c_str());
        });
        rounds.Time(kWriteReference, [&] { benchmark::DoNotOptimize(JoinTexts(parts).data()); });
    }
    int32_t count = 0;
    list->get_Count(&count);
    if (count != members)
        state.SkipWithError("the list did not read every member");
    const double items = double(state.iterations() * members);
    state.counters["read_ns_per_member"] = rounds.Total(kRead) * 1e9 / items;
    state.counters["write_ns_per_member"] = rounds.Total(kWrite) * 1e9 / items;
    state.counters["ratio_read_to_split"] = rounds.MedianRatio(kRead, kReadReference);
    state.counters["ratio_write_to_join"] = rounds.MedianRatio(kWrite, kWriteReference);
    parts.clear();
    value->Empty();
    DllCanUnloadNow();
}
BENCHMARK(MultiValueBesideSplitting)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
