// The exported scoped per-thread flag.
#include "tavi/Entry.h"

namespace {
thread_local bool autocompleteActive = false;
}

GPAutocompleteContext::GPAutocompleteContext(bool active) : saved_(autocompleteActive) {
    autocompleteActive = active;
}

GPAutocompleteContext::~GPAutocompleteContext() {
    autocompleteActive = saved_;
}

bool GPAutocompleteContext::IsActive() {
    return autocompleteActive;
}
