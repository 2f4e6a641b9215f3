#include "registry/clsRegistry.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/text.h"

namespace kqm {

namespace {
// Longest key name the registry allows, in characters without the terminator.
constexpr uint32_t kMaxKeyNameChars = 255;
// Data sizes travel as 32-bit byte counts; anything longer cannot be written whole.
constexpr size_t kMaxDataBytes = 0xFFFFFFFFu;

std::string TrimSpaces(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The "%" rule: stored expandable when a "%" is followed, two or more characters later, by another "%".
bool LooksExpandable(const std::string& s) {
  const auto p = s.find('%');
  return p != std::string::npos && s.find('%', p + 2) != std::string::npos;
}
}  // namespace

clsRegistry::clsRegistry(RegistryApi& api, ErrorReporter& reporter, std::string appBaseName)
    : api_(api), reporter_(reporter), source_(std::move(appBaseName) + ".cRegistry") {}

void clsRegistry::Raise(int32_t number, const std::string& description) const {
  throw AppError(number, source_, description);
}

bool clsRegistry::KeyExists() const {
  RegKey h = 0;
  if (api_.OpenKey(RootKey(classKey_), Utf8ToUtf16(sectionKey_), kKeyQueryValue, h) != kRegOk) return false;
  api_.CloseKey(h);
  return true;
}

bool clsRegistry::CreateKey() {
  RegKey h = 0;
  if (api_.CreateKey(RootKey(classKey_), Utf8ToUtf16(sectionKey_), kKeyAll63, h) != kRegOk)
    Raise(kRegErrKey, "Failed to create registry Key: '" + sectionKey_);
  api_.CloseKey(h);
  return true;
}

bool clsRegistry::DeleteKey() {
  if (api_.DeleteKey(RootKey(classKey_), Utf8ToUtf16(sectionKey_)) != kRegOk)
    Raise(kRegErrKey,
          "Failed to delete registry Key: '" + std::to_string(classKey_) + "',Section: '" + sectionKey_);
  return true;
}

bool clsRegistry::DeleteValue() {
  RegKey h = 0;
  if (api_.OpenKey(RootKey(classKey_), Utf8ToUtf16(sectionKey_), kKeyAll63, h) != kRegOk)
    Raise(kRegErrKey, "Failed to open key '" + std::to_string(classKey_) + "',Section: '" + sectionKey_ +
                          "' for delete access");
  const int32_t r = api_.DeleteValue(h, Utf8ToUtf16(valueKey_));
  api_.CloseKey(h);
  if (r != kRegOk)
    Raise(kRegErrKey, "Failed to delete registry Key: '" + std::to_string(classKey_) + "',Section: '" + sectionKey_ +
                          "',Key: '" + valueKey_);
  return true;
}

Variant clsRegistry::Value() {
  RegKey opened = 0;
  // The open is not tested: a key that did not open makes the size probe fail.
  api_.OpenKey(RootKey(classKey_), Utf8ToUtf16(sectionKey_), kKeyQueryValue, opened);
  const UniqueRegKey key(opened, RegKeyCloser{&api_});
  const auto name = Utf8ToUtf16(valueKey_);

  uint8_t scratch[4];
  uint32_t type = 0;
  uint32_t size = 0;
  int32_t status = api_.QueryValue(key.get(), name, &type, scratch, &size);
  if (status != kRegOk && status != kRegMoreData) return default_;
  valueType_ = static_cast<int32_t>(type);
  std::string bytes(reinterpret_cast<const char*>(scratch), status == kRegOk ? size : 0);
  // A value that grows between the probe and the read answers 234 with its new size: read again.
  for (int attempt = 0; status == kRegMoreData && attempt < 8; ++attempt) {
    bytes.assign(size, '\0');
    status = api_.QueryValue(key.get(), name, &type, reinterpret_cast<uint8_t*>(bytes.data()), &size);
  }
  if (status != kRegOk) return default_;
  bytes.resize(size);
  valueType_ = static_cast<int32_t>(type);
  return DecodeValue(type, bytes);
}

Variant clsRegistry::DecodeValue(uint32_t type, const std::string& bytes) const {
  switch (type) {
    case kRegSz:
    case kRegExpandSz:
    case kRegMultiSz: {
      if (bytes.empty()) Raise(kErrInvalidArgument, "Invalid procedure call or argument");
      auto text = BytesToUtf16(bytes.data(), bytes.size());
      // Drop the terminator; data stored without one keeps every character.
      if (!text.empty() && text.back() == u'\0') text.pop_back();
      if (type == kRegExpandSz) {
        const uint32_t needed = api_.ExpandEnvironment(text, nullptr, 0);
        if (needed > 0) {
          std::u16string expanded(needed, u'\0');
          api_.ExpandEnvironment(text, expanded.data(), needed);
          expanded.resize(needed - 1);
          text = std::move(expanded);
        }
      }
      return Utf16ToUtf8(text);
    }
    case kRegDword:
    case kRegDwordBigEndian: {
      // The first four bytes are the number, whatever the stored length (shorter data reads as zero-padded).
      uint8_t b[4] = {};
      std::memcpy(b, bytes.data(), std::min<size_t>(4, bytes.size()));
      const uint32_t v = type == kRegDwordBigEndian
                             ? (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3]
                             : (uint32_t{b[3]} << 24) | (uint32_t{b[2]} << 16) | (uint32_t{b[1]} << 8) | b[0];
      return static_cast<int32_t>(v);
    }
    default:
      return std::vector<uint8_t>(bytes.begin(), bytes.end());
  }
}

std::string clsRegistry::WriteFailureText(const Variant& v) const {
  return "Failed to set registry value Key: '" + std::to_string(classKey_) + "',Section: '" + sectionKey_ +
         "',Key: '" + valueKey_ + "' to value: '" + VariantForMessage(v) + "'";
}

void clsRegistry::Value(const Variant& vValue) {
  RegKey opened = 0;
  if (api_.CreateKey(RootKey(classKey_), Utf8ToUtf16(sectionKey_), kKeyAll63, opened) != kRegOk)
    Raise(kRegErrKey, WriteFailureText(vValue));
  const UniqueRegKey key(opened, RegKeyCloser{&api_});
  const auto name = Utf8ToUtf16(valueKey_);

  int32_t result = kRegOk;
  switch (valueType_) {
    case kRegSz:
    case kRegExpandSz: {
      const std::string text = VariantToText(vValue);
      const std::string data = Utf16ToBytes(Utf8ToUtf16(text), true);
      if (data.size() > kMaxDataBytes) Raise(kRegErrWrite, WriteFailureText(vValue));
      result = api_.SetValue(key.get(), name, LooksExpandable(text) ? kRegExpandSz : kRegSz,
                             reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size()));
      break;
    }
    case kRegBinary: {
      const auto* bytes = std::get_if<std::vector<uint8_t>>(&vValue);
      if (!bytes) throw AppError(kRegErrKey, "", "");
      if (bytes->size() > kMaxDataBytes) Raise(kRegErrWrite, WriteFailureText(vValue));
      result = api_.SetValue(key.get(), name, kRegBinary, bytes->data(), static_cast<uint32_t>(bytes->size()));
      break;
    }
    case kRegDword:
    case kRegDwordBigEndian: {
      int32_t n = 0;
      if (const auto* i16 = std::get_if<int16_t>(&vValue)) {
        n = *i16;
      } else if (const auto* i32 = std::get_if<int32_t>(&vValue)) {
        n = *i32;
      } else {
        break;  // not an integer: nothing is written, and that is not a failure
      }
      const auto u = static_cast<uint32_t>(n);
      const uint8_t data[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                               static_cast<uint8_t>(u >> 24)};
      result = api_.SetValue(key.get(), name, kRegDword, data, 4);
      break;
    }
    default:
      result = kRegInvalidData;
  }
  if (result != kRegOk) Raise(kRegErrWrite, WriteFailureText(vValue));
}

bool clsRegistry::EnumerateValues(OneBasedArray<std::string>& sKeyNames, int32_t& iKeyCount) {
  sKeyNames.Clear();
  iKeyCount = 0;
  RegKey opened = 0;
  if (api_.OpenKey(RootKey(classKey_), Utf8ToUtf16(sectionKey_), kKeyQueryValue, opened) != kRegOk) return true;
  const UniqueRegKey key(opened, RegKeyCloser{&api_});
  uint32_t longest = 0, values = 0;
  if (api_.QueryInfoKey(key.get(), nullptr, nullptr, &values, &longest) != kRegOk) return true;
  sKeyNames.Reserve(values);
  std::u16string buffer(longest + 1, u'\0');
  for (uint32_t i = 0;;) {
    uint32_t count = static_cast<uint32_t>(buffer.size());
    const int32_t status = api_.EnumValue(key.get(), i, buffer.data(), &count);
    if (status == kRegMoreData && buffer.size() < 0x8000) {
      // A name longer than the key reported (added meanwhile): a bigger buffer, the same index.
      buffer.assign(std::max<size_t>(buffer.size() * 2, 256), u'\0');
      continue;
    }
    if (status != kRegOk) break;
    sKeyNames.Append(Utf16ToUtf8(std::u16string_view(buffer.data(), count)));
    ++iKeyCount;
    ++i;
  }
  return true;
}

bool clsRegistry::EnumerateSections(OneBasedArray<std::string>& sSect, int32_t& iSectCount) {
  sSect.Clear();
  iSectCount = 0;
  RegKey opened = 0;
  if (api_.OpenKey(RootKey(classKey_), Utf8ToUtf16(sectionKey_), kKeyEnumerateSubKeys | kKeyQueryValue, opened) !=
      kRegOk)
    return true;
  const UniqueRegKey key(opened, RegKeyCloser{&api_});
  uint32_t longest = kMaxKeyNameChars;
  api_.QueryInfoKey(key.get(), nullptr, &longest, nullptr, nullptr);
  std::u16string buffer(std::max(longest, kMaxKeyNameChars) + 1, u'\0');
  for (uint32_t i = 0;;) {
    std::fill(buffer.begin(), buffer.end(), u'\0');
    const int32_t status = api_.EnumKey(key.get(), i, buffer.data(), static_cast<uint32_t>(buffer.size()));
    if (status == kRegMoreData && buffer.size() < 0x8000) {
      buffer.assign(buffer.size() * 2, u'\0');
      continue;
    }
    if (status != kRegOk) break;
    const auto nul = buffer.find(u'\0');
    sSect.Append(Utf16ToUtf8(std::u16string_view(buffer).substr(0, nul)));
    ++iSectCount;
    ++i;
  }
  return true;
}

void clsRegistry::WriteDefaultString(const std::string& section, const std::string& text) {
  sectionKey_ = section;
  valueKey_.clear();
  valueType_ = kRegSz;
  Value(Variant{text});
}

void clsRegistry::CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                                       const std::string& sClassDescription, const std::string& sAssociation,
                                       std::string sOpenMenuText, bool bSupportPrint, std::string sPrintMenuText,
                                       bool bSupportNew, std::string sNewMenuText, bool bSupportInstall,
                                       std::string sInstallMenuText, int32_t lDefaultIconIndex) {
  std::string exe = TrimSpaces(sExePath);
  if (exe.empty() || exe.front() != '"') exe.insert(exe.begin(), '"');
  if (exe.size() < 2 || exe.back() != '"') exe += '"';

  classKey_ = kHkeyClassesRoot;
  WriteDefaultString("." + sAssociation, sClassName);
  WriteDefaultString(sClassName, sClassDescription);

  auto verb = [&](const std::string& name, std::string& text, const std::string& fallback, const char* suffix) {
    if (text.empty()) text = fallback;
    WriteDefaultString(sClassName + "\\shell\\" + name, text);
    WriteDefaultString(sClassName + "\\shell\\" + name + "\\command", exe + suffix);
  };
  verb("open", sOpenMenuText, "&Open", " \"%1\"");
  if (bSupportPrint) verb("print", sPrintMenuText, "&Print", " /p \"%1\"");
  if (bSupportInstall) verb("add", sInstallMenuText, "&Install " + sAssociation, " /a \"%1\"");
  if (bSupportNew) verb("new", sNewMenuText, "&New", " /n \"%1\"");
  if (lDefaultIconIndex >= 0)
    WriteDefaultString(sClassName + "\\DefaultIcon", exe + "," + std::to_string(lDefaultIconIndex));
}

void clsRegistry::CreateAdditionalEXEAssociations(const std::string& sClassName,
                                                  const std::vector<std::string>& vItems) {
  try {
    if (vItems.size() % 3 != 0)
      Raise(kRegErrParamList,
            "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command");
    sectionKey_ = sClassName;
    if (!KeyExists()) Raise(kRegErrNoClass, "Error - attempt to create additional associations before class defined.");
    for (size_t i = 0; i < vItems.size(); i += 3) {
      WriteDefaultString(sClassName + "\\shell\\" + vItems[i], vItems[i + 1]);
      WriteDefaultString(sClassName + "\\shell\\" + vItems[i] + "\\command", vItems[i + 2]);
    }
  } catch (const AppError& e) {
    reporter_.ShowError("CreateAdditionalExeAssociations", e.Number(), e.Description());
  } catch (const std::bad_alloc&) {
    reporter_.ShowError("CreateAdditionalExeAssociations", kErrOutOfMemory, "Out of memory");
  } catch (const std::exception& e) {
    reporter_.ShowError("CreateAdditionalExeAssociations", kErrInternal, e.what());
  }
}

}  // namespace kqm
