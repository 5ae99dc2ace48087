// The exported scoped flag: per thread, nesting restores the outer value, false on a new thread.
#include "TestSupport.h"

#include "tavi/Entry.h"

#include <thread>

namespace tavi::test {
namespace {

class AutocompleteContextTest : public LeakCheckedTest {};

TEST_F(AutocompleteContextTest, ScopesNestAndStayOnTheirThread) {
    EXPECT_FALSE(GPAutocompleteContext::IsActive());
    {
        GPAutocompleteContext outer(true);
        EXPECT_TRUE(GPAutocompleteContext::IsActive());
        {
            GPAutocompleteContext inner(false);
            EXPECT_FALSE(GPAutocompleteContext::IsActive());
            bool otherThread = true;
            std::thread([&] { otherThread = GPAutocompleteContext::IsActive(); }).join();
            EXPECT_FALSE(otherThread);
        }
        EXPECT_TRUE(GPAutocompleteContext::IsActive()) << "the inner scope restores the outer value";
    }
    EXPECT_FALSE(GPAutocompleteContext::IsActive());
    static_assert(sizeof(GPAutocompleteContext) == 1);
}

TEST_F(AutocompleteContextTest, AssignmentCopiesTheStoredOuterValue) {
    GPAutocompleteContext outer(true);
    {
        GPAutocompleteContext a(false); // stores true
        {
            GPAutocompleteContext b(true); // stores false
            b = a;                         // b now restores true as well
        }
        EXPECT_TRUE(GPAutocompleteContext::IsActive());
    }
    EXPECT_TRUE(GPAutocompleteContext::IsActive());
}

} // namespace
} // namespace tavi::test
