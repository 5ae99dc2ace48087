// UTF-8 and UTF-16 conversions for the edges where text leaves the component model (files, SQLite, JSON, ICU
// names). Ill-formed input (lone surrogates, bad UTF-8 sequences) becomes U+FFFD; nothing is dropped silently.
#pragma once

#include <string>
#include <string_view>

namespace tavi {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

} // namespace tavi
