// Shared test support: the fixture that checks the module object count, and text helpers.
#pragma once

#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"

#include <gtest/gtest.h>

#include <string>

namespace tavi::test {

// Every fixture derives from this: a test that ends with more live objects than it began with has leaked.
class LeakCheckedTest : public ::testing::Test {
protected:
    void SetUp() override { countAtStart_ = ModuleObjectCount(); }
    void TearDown() override { EXPECT_EQ(ModuleObjectCount(), countAtStart_) << "objects leaked"; }

private:
    int32_t countAtStart_ = 0;
};

inline std::string ToUtf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace tavi::test
