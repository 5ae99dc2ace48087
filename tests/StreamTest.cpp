// The memory and file streams: the behaviour both share (checked on each), then what is particular to each.
#include "TestSupport.h"

#include "tavi/Stream.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tavi {
namespace {

namespace fs = std::filesystem;

class StreamTest : public test::LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        folder_ = fs::temp_directory_path() / ("tavi-stream-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        LeakCheckedTest::TearDown();
    }
    std::string Path(const char* name) const { return (folder_ / name).string(); }

    fs::path folder_;
};

std::vector<uint8_t> ReadAll(IStream* stream) {
    EXPECT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    std::vector<uint8_t> bytes(4096);
    ULONG read = 0;
    EXPECT_EQ(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read), S_OK);
    bytes.resize(read);
    return bytes;
}

// Each kind of stream, made empty and writable, with document version 7.
struct Kind {
    const char* name;
    std::function<ComPtr<IStream>(const std::string& path)> make;
};

const Kind kKinds[] = {
    {"memory",
     [](const std::string&) {
         ComPtr<IStream> s;
         EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, 7, s.Out()), S_OK);
         return s;
     }},
    {"file",
     [](const std::string& path) {
         ComPtr<IStream> s;
         EXPECT_EQ(CreateStreamOnFile(path.c_str(), 1, 7, s.Out()), S_OK);
         return s;
     }},
};

TEST_F(StreamTest, ReadWriteSeekAndShortReads) {
    for (const auto& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        ComPtr<IStream> stream = kind.make(Path("rw.bin"));
        ASSERT_TRUE(stream);
        ULONG count = 0;
        ASSERT_EQ(stream->Write("abcdef", 6, &count), S_OK);
        EXPECT_EQ(count, 6u);

        uint64_t position = 99;
        ASSERT_EQ(stream->Seek(-4, STREAM_SEEK_END, &position), S_OK);
        EXPECT_EQ(position, 2u);
        char buffer[16] = {};
        // A read past the end succeeds with the bytes that are there.
        EXPECT_EQ(stream->Read(buffer, sizeof buffer, &count), S_OK);
        EXPECT_EQ(count, 4u);
        EXPECT_EQ(std::string(buffer, 4), "cdef");
        EXPECT_EQ(stream->Read(buffer, sizeof buffer, &count), S_OK);
        EXPECT_EQ(count, 0u);

        // Seeking before the start is refused and leaves the position alone.
        EXPECT_EQ(stream->Seek(-1, STREAM_SEEK_SET, nullptr), STG_E_INVALIDFUNCTION);
        EXPECT_EQ(stream->Seek(-7, STREAM_SEEK_END, nullptr), STG_E_INVALIDFUNCTION);
        EXPECT_EQ(stream->Seek(0, 3, nullptr), STG_E_INVALIDFUNCTION);
        EXPECT_EQ(stream->Seek(0, STREAM_SEEK_CUR, &position), S_OK);
        EXPECT_EQ(position, 6u);

        // Writing past the end fills the gap with zeros.
        ASSERT_EQ(stream->Seek(8, STREAM_SEEK_SET, nullptr), S_OK);
        ASSERT_EQ(stream->Write("Z", 1, nullptr), S_OK);
        EXPECT_EQ(ReadAll(stream.Get()), (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e', 'f', 0, 0, 'Z'}));

        EXPECT_EQ(stream->Read(nullptr, 1, &count), STG_E_INVALIDPOINTER);
        EXPECT_EQ(stream->Write(nullptr, 1, &count), STG_E_INVALIDPOINTER);
    }
}

TEST_F(StreamTest, SizeStatCloneCopyAndVersion) {
    for (const auto& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        ComPtr<IStream> stream = kind.make(Path("misc.bin"));
        ASSERT_EQ(stream->Write("0123456789", 10, nullptr), S_OK);

        ASSERT_EQ(stream->SetSize(4), S_OK);
        STATSTG stat{};
        ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
        EXPECT_EQ(stat.cbSize, 4u);
        EXPECT_EQ(stat.type, STGTY_STREAM);
        EXPECT_EQ(stat.pwcsName, nullptr);
        ASSERT_EQ(stream->SetSize(6), S_OK);
        EXPECT_EQ(ReadAll(stream.Get()), (std::vector<uint8_t>{'0', '1', '2', '3', 0, 0}));

        // A clone sees the same bytes from its own position.
        ASSERT_EQ(stream->Seek(2, STREAM_SEEK_SET, nullptr), S_OK);
        ComPtr<IStream> clone;
        ASSERT_EQ(stream->Clone(clone.Out()), S_OK);
        char c = 0;
        ASSERT_EQ(clone->Read(&c, 1, nullptr), S_OK);
        EXPECT_EQ(c, '2');
        ASSERT_EQ(stream->Write("X", 1, nullptr), S_OK); // at position 2 of the original
        ASSERT_EQ(clone->Seek(2, STREAM_SEEK_SET, nullptr), S_OK);
        ASSERT_EQ(clone->Read(&c, 1, nullptr), S_OK);
        EXPECT_EQ(c, 'X');

        // CopyTo copies from the current position and reports both counts.
        ComPtr<IStream> target;
        ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, 0, target.Out()), S_OK);
        ASSERT_EQ(stream->Seek(1, STREAM_SEEK_SET, nullptr), S_OK);
        uint64_t read = 0, written = 0;
        ASSERT_EQ(stream->CopyTo(target.Get(), 100, &read, &written), S_OK);
        EXPECT_EQ(read, 5u);
        EXPECT_EQ(written, 5u);
        EXPECT_EQ(ReadAll(target.Get()), (std::vector<uint8_t>{'1', 'X', '3', 0, 0}));
        EXPECT_EQ(stream->CopyTo(nullptr, 1, &read, &written), STG_E_INVALIDPOINTER);

        // Both answer the sequential and the version interfaces; clones keep the version.
        EXPECT_TRUE(stream.As<ISequentialStream>());
        auto version = clone.As<IStreamDocumentVersion>();
        ASSERT_TRUE(version);
        int32_t value = 0;
        ASSERT_EQ(version->get_DocumentVersion(&value), S_OK);
        EXPECT_EQ(value, 7);
        ASSERT_EQ(version->put_DocumentVersion(310), S_OK);
        ASSERT_EQ(version->get_DocumentVersion(&value), S_OK);
        EXPECT_EQ(value, 310);
        EXPECT_EQ(version->get_DocumentVersion(nullptr), E_POINTER);

        EXPECT_EQ(stream->LockRegion(0, 1, 0), STG_E_INVALIDFUNCTION);
        EXPECT_EQ(stream->Commit(0), S_OK);
        EXPECT_EQ(stream->Stat(nullptr, 0), STG_E_INVALIDPOINTER);
        EXPECT_EQ(stream->Clone(nullptr), STG_E_INVALIDPOINTER);
    }
}

TEST_F(StreamTest, MemoryStreamStartsWithACopyOfItsBytes) {
    char bytes[] = {'h', 'i'};
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnMemory(bytes, 2, 0, stream.Out()), S_OK);
    bytes[0] = 'X';
    EXPECT_EQ(ReadAll(stream.Get()), (std::vector<uint8_t>{'h', 'i'}));
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 3, 0, stream.Out()), STG_E_INVALIDPOINTER);
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, 0, nullptr), E_POINTER);
    // Growing beyond what a memory stream holds is refused rather than attempted.
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, 0, stream.Out()), S_OK);
    EXPECT_EQ(stream->SetSize(uint64_t{1} << 40), STG_E_MEDIUMFULL);
}

TEST_F(StreamTest, FileStreamOpensAndReportsStorageErrors) {
    std::string path = Path("data.bin");
    {
        ComPtr<IStream> writer;
        ASSERT_EQ(CreateStreamOnFile(path.c_str(), 1, 0, writer.Out()), S_OK);
        ASSERT_EQ(writer->Write("payload", 7, nullptr), S_OK);
        STATSTG stat{};
        ASSERT_EQ(writer->Stat(&stat, STATFLAG_DEFAULT), S_OK);
        BStr name = BStr::Adopt(stat.pwcsName);
        EXPECT_EQ(ToUtf8(name.view()), path);
    }
    ComPtr<IStream> reader;
    ASSERT_EQ(CreateStreamOnFile(path.c_str(), 0, 0, reader.Out()), S_OK);
    EXPECT_EQ(ReadAll(reader.Get()), (std::vector<uint8_t>{'p', 'a', 'y', 'l', 'o', 'a', 'd'}));
    ULONG written = 5;
    EXPECT_EQ(reader->Write("x", 1, &written), STG_E_ACCESSDENIED);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(reader->SetSize(0), STG_E_ACCESSDENIED);

    struct Case {
        std::string path;
        int32_t forWriting;
        HRESULT hr;
    };
    const Case cases[] = {
        {Path("missing.bin"), 0, STG_E_FILENOTFOUND},          // nothing to read
        {Path("no/such/folder/x.bin"), 1, STG_E_FILENOTFOUND}, // nowhere to create it
        {folder_.string(), 0, STG_E_ACCESSDENIED},             // a folder is no stream
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnFile(c.path.c_str(), c.forWriting, 0, stream.Out()), c.hr);
        EXPECT_FALSE(stream);
    }
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnFile(nullptr, 0, 0, stream.Out()), STG_E_INVALIDPOINTER);
    EXPECT_EQ(CreateStreamOnFile(path.c_str(), 0, 0, nullptr), E_POINTER);
}

} // namespace
} // namespace tavi
