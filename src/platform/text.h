#pragma once
#include <string>
#include <string_view>

namespace kqm {

// UTF-8 to UTF-16; invalid sequences become U+FFFD, except the three-byte form of a single surrogate (as
// Utf16ToUtf8Exact writes it), which becomes that surrogate.
std::u16string Utf8ToUtf16(std::string_view utf8);
// UTF-16 to UTF-8 that Utf8ToUtf16 turns back into exactly `utf16`: an unpaired surrogate is written in the
// three-byte form of its code unit (which strict UTF-8 readers take as invalid). For names the platform must be
// asked for exactly.
std::string Utf16ToUtf8Exact(std::u16string_view utf16);
// The unpaired surrogate whose three-byte form starts `utf8` at `at`, or 0.
char16_t SurrogateAt(std::string_view utf8, size_t at);
// The length (1 to 4) of the strict UTF-8 sequence that starts `utf8` at `at`: shortest form, no surrogate, at most
// U+10FFFF; 0 when none does.
size_t StrictUtf8Length(std::string_view utf8, size_t at);
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
