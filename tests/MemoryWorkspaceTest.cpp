// The memory workspaces from several threads: one dataset holds every table of a memory workspace, so a table made on
// one thread is seen by every other, and the tables, cursors and rows of all threads share that dataset. Runs under
// ThreadSanitizer in the test command's concurrency stage.
#include "TestSupport.h"

#include "data/DataElement.h"
#include "data/Field.h"
#include "tavi/DataAccess.h"

#include <latch>
#include <string>
#include <thread>
#include <vector>

#if defined(__SANITIZE_THREAD__)
// GDAL makes its internal mutexes under a global one of its own and elsewhere takes that one while holding one of
// them: an order between GDAL's locks only, which this library never holds, and which the sanitizer reports from a
// GDAL built without it.
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions() {
    return "deadlock:CPLCreateOrAcquireMutexEx\n";
}
#endif

namespace tavi::test {
namespace {

class MemoryWorkspace : public LeakCheckedTest {};

// A table of one whole-number field "N": its fields are the identifier (0) and N (1).
HRESULT CreateNumberTable(IWorkspace* workspace, const std::u16string& name, ITable** table) {
    ComPtr<IFields> fields;
    ComPtr<IField> field;
    if (HRESULT hr = CreateFields(fields.Out()); FAILED(hr))
        return hr;
    if (HRESULT hr = CreateField(field.Out()); FAILED(hr))
        return hr;
    field.As<IFieldEdit>()->put_Name(u"N");
    field.As<IFieldEdit>()->put_Type(taviFieldTypeInteger);
    fields.As<IFieldsEdit>()->AddField(field.Get());
    return workspace->CreateTable(name.c_str(), fields.Get(), table);
}

HRESULT AddRow(ITable* table, int32_t n) {
    ComPtr<IRow> row;
    if (HRESULT hr = table->CreateRow(row.Out()); FAILED(hr))
        return hr;
    Variant value;
    value.vt = VT_I4, value.lVal = n;
    if (HRESULT hr = row->put_Value(1, value); FAILED(hr))
        return hr;
    return row->Store();
}

// The rows left to `cursor` and the sum of their N; a failed read counts as -1 rows.
struct Read {
    int64_t rows = 0;
    int64_t sum = 0;
};
Read ReadRest(ICursor* cursor) {
    Read read;
    ComPtr<IRow> row;
    HRESULT hr;
    while ((hr = cursor->NextRow(row.Out())) == S_OK) {
        Variant value;
        row->get_Value(1, &value);
        ++read.rows, read.sum += value.vt == VT_I4 ? value.lVal : 1'000'000;
    }
    if (hr != S_FALSE)
        read.rows = -1;
    return read;
}

// Every row of the table at `path`, read through a table object of its own.
Read ReadTable(const std::u16string& path) {
    ComPtr<ITable> table;
    ComPtr<ICursor> cursor;
    if (FAILED(OpenTable(path, table.Out())) || FAILED(table->Search(nullptr, cursor.Out())))
        return {-1, 0};
    return ReadRest(cursor.Get());
}

std::u16string Name(int thread) {
    return u"rows_of_thread_" + std::u16string(1, static_cast<char16_t>(u'0' + thread));
}

TEST_F(MemoryWorkspace, ThreadsMakeFillAndReadTablesAtOnce) {
    constexpr int kThreads = 4, kRows = 40;
    constexpr int64_t kSum = kRows * (kRows + 1) / 2;
    // One table object that every thread writes to and counts, beside a table of each thread's own.
    ComPtr<IWorkspace> workspace;
    ASSERT_EQ(OpenWorkspace(u"in_memory", workspace.Out()), S_OK);
    ComPtr<ITable> shared;
    ASSERT_EQ(CreateNumberTable(workspace.Get(), u"shared_rows", shared.Out()), S_OK);

    std::latch start(kThreads), made(kThreads);
    std::vector<HRESULT> writes(kThreads, E_FAIL);
    std::vector<std::vector<Read>> reads(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            HRESULT hr = S_OK;
            {
                ComPtr<IWorkspace> own;
                ComPtr<ITable> table;
                hr = OpenWorkspace(u"IN_MEMORY", own.Out());
                if (SUCCEEDED(hr))
                    hr = CreateNumberTable(own.Get(), Name(t), table.Out());
                for (int32_t n = 1; n <= kRows && SUCCEEDED(hr); ++n) {
                    int64_t count = 0;
                    hr = AddRow(table.Get(), n);
                    if (SUCCEEDED(hr))
                        hr = AddRow(shared.Get(), n);
                    if (SUCCEEDED(hr))
                        hr = shared->RowCount(&count);
                }
            }
            writes[t] = hr;
            made.arrive_and_wait();
            // Every table, starting at a different one on each thread, so that cursors of several threads read one
            // table at the same time.
            for (int i = 0; i < kThreads; ++i)
                reads[t].push_back(ReadTable(u"in_memory/" + Name((t + i) % kThreads)));
        });
    }
    for (auto& thread : threads)
        thread.join();

    for (int t = 0; t < kThreads; ++t) {
        SCOPED_TRACE("thread " + std::to_string(t));
        EXPECT_EQ(writes[t], S_OK);
        for (const Read& read : reads[t]) {
            EXPECT_EQ(read.rows, kRows) << "a table made on another thread is seen whole";
            EXPECT_EQ(read.sum, kSum);
        }
    }
    int64_t count = 0;
    ASSERT_EQ(shared->RowCount(&count), S_OK);
    EXPECT_EQ(count, kThreads * kRows) << "no row of the shared table was lost";
}

TEST_F(MemoryWorkspace, CursorsOfTwoTableObjectsOnOneTableReadIndependently) {
    // Both table objects reach the one layer of the memory dataset: each cursor keeps its own place and filter.
    ComPtr<IWorkspace> workspace;
    ASSERT_EQ(OpenWorkspace(u"memory", workspace.Out()), S_OK);
    ComPtr<ITable> made;
    ASSERT_EQ(CreateNumberTable(workspace.Get(), u"interleaved", made.Out()), S_OK);
    for (int32_t n = 1; n <= 6; ++n)
        ASSERT_EQ(AddRow(made.Get(), n), S_OK);

    ComPtr<ITable> first, second, third;
    for (ITable** table : {first.Out(), second.Out(), third.Out()})
        ASSERT_EQ(OpenTable(u"memory/interleaved", table), S_OK);
    ComPtr<ICursor> all, large;
    ComPtr<IRow> row;
    ASSERT_EQ(first->Search(nullptr, all.Out()), S_OK);
    ASSERT_EQ(all->NextRow(row.Out()), S_OK);
    ASSERT_EQ(all->NextRow(row.Out()), S_OK);
    ASSERT_EQ(second->Search(u"N > 3", large.Out()), S_OK);
    ASSERT_EQ(large->NextRow(row.Out()), S_OK);
    int64_t count = 0;
    ASSERT_EQ(third->RowCount(&count), S_OK);
    EXPECT_EQ(count, 6) << "a count through a third table object sees every row";

    Read rest = ReadRest(all.Get());
    EXPECT_EQ(rest.rows, 4) << "the first cursor goes on after its second row, unfiltered";
    EXPECT_EQ(rest.sum, 3 + 4 + 5 + 6);
    ASSERT_EQ(large->NextRow(row.Out()), S_OK);
    Variant n;
    row->get_Value(1, &n);
    EXPECT_EQ(n.lVal, 5) << "the filtered cursor goes on after its first row, filtered";
    ASSERT_EQ(second->RowCount(&count), S_OK);
    EXPECT_EQ(large->NextRow(row.Out()), E_FAIL) << "a count through its own table object supersedes a cursor";
}

} // namespace
} // namespace tavi::test
