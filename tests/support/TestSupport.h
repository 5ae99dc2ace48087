// Shared test support: the fixture that checks the module object count, the fixture whose objects come from the
// module's class table, and text helpers.
#pragma once

#include "host/CreateInstance.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Locale.h"
#include "platform/Object.h"
#include "platform/Utf.h"
#include "tavi/Entry.h"

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

// A fixture whose objects come from the module's class table, as a host's would: AfCreateInstance asks
// DllGetClassObject. The process locale and the thread's locale a test sets are put back afterwards, and the
// thread's singletons (which a test may have brought to life) are let go before the count is checked.
class ModuleClassesTest : public LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        savedSource_ = ModuleClassSource();
        SetModuleClassSource(&DllGetClassObject);
        savedLocale_ = GetUserDefaultLCID();
        savedThreadLocale_ = locale::ThreadLocale();
    }
    void TearDown() override {
        locale::SetUserDefaultLocaleForTesting(savedLocale_);
        SetThreadLocale(savedThreadLocale_);
        SetModuleClassSource(savedSource_);
        DllCanUnloadNow();
        LeakCheckedTest::TearDown();
    }

    // A new object of `clsid` through the class table, asked for I.
    template <class I> static ComPtr<I> Create(REFCLSID clsid) {
        ComPtr<I> made;
        EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid()), S_OK);
        return made;
    }

private:
    ClassObjectSource savedSource_ = nullptr;
    LCID savedLocale_ = 0;
    LCID savedThreadLocale_ = 0;
};

using tavi::FromUtf8;
using tavi::ToUtf8;

} // namespace tavi::test
