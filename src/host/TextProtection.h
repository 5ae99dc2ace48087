// Protected texts: authenticated encryption of short texts (passwords and the like) under a per-user key kept outside
// the documents that store them.
//
// Protected forms (text, ASCII only):
//   "0002" + hex     the current form. hex is the lower-case hexadecimal of nonce (12 bytes) + ciphertext + tag
//                    (16 bytes): AES-256-GCM with a fresh random nonce per text, the associated data being the
//                    label "tavi-protected-text/2". The ciphertext is the plain text's UTF-8 form (lone surrogates
//                    of the UTF-16 text are kept as their three-byte forms, so every text comes back exactly).
//   "0001" + hex     the older form written into version-1 value streams: the same layout and cipher, under the
//                    label "tavi-protected-text/1". The distinct label keeps one form from passing for the other.
// Reading accepts either form and hex digits of either case. A form with a wrong prefix, a character that is not a
// hex digit, an odd digit count, fewer bytes than nonce + tag, or a tag that does not authenticate is refused with
// E_FAIL; nothing of the text is handed out then.
//
// The key: 32 random bytes in the file named by TAVI_KEY_FILE when that is set (tests use it), otherwise
// $XDG_CONFIG_HOME/tavi/protection.key, otherwise ~/.config/tavi/protection.key. The first use creates it: missing
// folders with mode 0700, the file with 0600, written under a temporary name and linked into place, so that
// processes racing to create it all end up with the one key that won. A key file that is not a regular file of the
// current user, is open to group or others, or does not hold exactly 32 bytes is refused (E_FAIL), never used.
// The key is read once per process and wiped when the process ends; copies made for one operation are wiped after
// it, and so are the plain-text buffers made inside.
#pragma once

#include "host/String.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

namespace GeoprocessingUtil {
// Protects `plain` into the current form. The empty text protects to the empty text (there is nothing to hide, and
// an empty value stays empty). E_FAIL when the key cannot be had or the cipher fails; E_INVALIDARG for a text too
// long for one message. `protectedText` is written only on success.
HRESULT EncryptString(std::u16string_view plain, String& protectedText);
// Recovers the plain text of a protected form (either form; the empty text gives the empty text). E_FAIL as the
// head comment says. `plain` is written only on success; the caller should wipe it (WipeText) when done.
HRESULT DecryptString(std::u16string_view protectedText, String& plain);
} // namespace GeoprocessingUtil

// One protected text in its stored form (the form's version and its bytes), as the foundation library keeps it.
// Typical use, rewriting a form into the older one:
//   Encrypt e; e.FromString(text); e.DecryptString(plain); e.EncryptString(plain, true); e.ToString();
class Encrypt {
public:
    Encrypt() = default;
    Encrypt(const Encrypt&) = delete;
    Encrypt& operator=(const Encrypt&) = delete;
    ~Encrypt();

    // Reads a protected form ("0001"/"0002" + hex). E_FAIL for a malformed one (the object then holds nothing).
    // Authentication is left to DecryptString.
    HRESULT FromString(std::u16string_view text);
    // The plain text of what is held. E_FAIL when nothing is held, or the key is wrong or the bytes were altered.
    HRESULT DecryptString(String& plain) const;
    // Protects `plain` with a fresh nonce and holds the result: the older form when `older`, else the current one.
    HRESULT EncryptString(std::u16string_view plain, bool older);
    // The held form as text; the empty text when nothing is held.
    String ToString() const;

private:
    char16_t form_ = 0; // '1' or '2'; 0 when nothing is held
    std::vector<uint8_t> sealed_;
};

// Overwrites the characters of `text` (so the plain text does not linger in freed memory), then clears it.
void WipeText(String& text);

namespace textprotection {
// The key file this process uses (see the head comment); empty when no location can be found.
std::string KeyFilePath();
// Wipes the key read by this process, so the next operation reads the key file again. For tests that point
// TAVI_KEY_FILE elsewhere.
void ForgetKeyForTesting();
} // namespace textprotection

} // namespace tavi
