// Shared test support: the fixture that checks the module object count, and text helpers.
#pragma once

#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "platform/Utf.h"

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

using tavi::ToUtf8;

} // namespace tavi::test
