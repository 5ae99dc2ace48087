// Self-registration of a class table: for every provided class, the class key with its in-process server and
// threading model, the programmatic identifiers (version-independent and version 1), and the component categories
// through the category manager. Unregistration removes the same set again.
#pragma once

#include "frame/ClassTable.h"

#include <span>
#include <string>

struct ICatRegister;

namespace tavi {

// The prefix of every programmatic identifier: "taviGeoprocessing.<class name>".
inline constexpr std::u16string_view kProgIdPrefix = u"taviGeoprocessing";
// The library identifier written under each class key as "TypeLib".
inline constexpr GUID kTypeLibraryId{0xD1AE5921, 0xF2AC, 0x437E, {0xB7, 0x9A, 0x4A, 0x1B, 0xF0, 0xF4, 0xCB, 0xBC}};

// Registers every provided row of `table` in order, stopping at the first failure; earlier classes stay registered.
// `serverPath` is the library file written as each class's InprocServer32. Each class's keys are written in one
// registry transaction. Results: S_OK; SELFREG_E_CLASS when a key or value cannot be written or the programmable
// category cannot be registered; E_FAIL when one of the class's own categories cannot; the category manager's
// creation code when it cannot be created.
HRESULT RegisterClasses(std::span<const ClassEntry> table, const std::u16string& serverPath);
// Removes the registration of every provided row in order, stopping at the first failure. S_OK; E_FAIL when a
// category cannot be unregistered; SELFREG_E_CLASS when the class's keys cannot be deleted. A class that is not
// registered is nothing to remove.
HRESULT UnregisterClasses(std::span<const ClassEntry> table);

// One class, with a category manager the caller made.
HRESULT RegisterClass(const ClassEntry& entry, const std::u16string& serverPath, ICatRegister* categories);
HRESULT UnregisterClass(const ClassEntry& entry, ICatRegister* categories);

} // namespace tavi
