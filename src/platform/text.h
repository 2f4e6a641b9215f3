#pragma once
#include <string>
#include <string_view>

namespace kqm {

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);
// UTF-16 text as little-endian bytes, optionally followed by a NUL character (2 bytes).
std::string Utf16ToBytes(std::u16string_view utf16, bool withTerminator);
// Little-endian bytes as UTF-16 code units; an odd trailing byte is dropped.
std::u16string BytesToUtf16(const void* data, size_t byteCount);
// Upper-case folding of ASCII, Latin-1, Greek and Cyrillic letters: how Windows compares registry and file names.
std::u16string FoldCase(std::u16string_view s);
// The text a control caption shows: "&&" becomes "&", and a lone "&" marking an access key is dropped.
std::string CaptionShown(std::string_view caption);

}  // namespace kqm
