// Task memory: blocks that cross interfaces outside BSTRs (programmatic identifiers, for one). The caller of the
// function that hands a block out frees it with CoTaskMemFree.
#include "tavi/Platform.h"

#include <cstdlib>

extern "C" {

// A request for zero bytes still yields a distinct block that CoTaskMemFree accepts.
void* CoTaskMemAlloc(size_t size) {
    return std::malloc(size ? size : 1);
}

void CoTaskMemFree(void* memory) {
    std::free(memory);
}

} // extern "C"
