#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/error_reporter.h"
#include "platform/registry_api.h"
#include "registry/one_based_array.h"
#include "registry/reg_variant.h"

namespace kqm {

// Error numbers raised by clsRegistry.
constexpr int32_t kRegErrKey = 26001;
constexpr int32_t kRegErrWrite = static_cast<int32_t>(0x80040000u + 1048 + 26001);       // -2147194455
constexpr int32_t kRegErrParamList = static_cast<int32_t>(0x80040000u + 1048 + 26001 + 3);  // -2147194452
constexpr int32_t kRegErrNoClass = static_cast<int32_t>(0x80040000u + 1048 + 26001 + 4);    // -2147194451
constexpr int32_t kErrInvalidArgument = 5;
constexpr int32_t kErrOutOfMemory = 7;
constexpr int32_t kErrInternal = 51;

// A cursor over the registry: ClassKey (root), SectionKey (key path), ValueKey (value name), ValueType and
// Default name a place and a format; each operation opens, works and closes, so no key stays open between calls.
// Failures are raised as AppError with the numbers above and the source "<executable base name>.cRegistry".
class clsRegistry {
 public:
  // appBaseName: the running executable's base name, used for error sources; reporter: where
  // CreateAdditionalEXEAssociations reports its failures.
  clsRegistry(RegistryApi& api, ErrorReporter& reporter, std::string appBaseName);

  // True when root\SectionKey can be opened for reading values; never raises.
  bool KeyExists() const;
  // Opens or creates root\SectionKey; True, or raises 26001.
  bool CreateKey();
  // Deletes root\SectionKey (not its subkeys); True, or raises 26001.
  bool DeleteKey();
  // Deletes ValueKey from root\SectionKey; True, or raises 26001.
  bool DeleteValue();
  // Reads ValueKey; Default when it cannot be read. Sets ValueType to the type found.
  // A string-typed value of 0 bytes raises error 5.
  Variant Value();
  // What Value() gives for data of this type and these raw bytes (strings expanded for REG_EXPAND_SZ, the first
  // four bytes of a number). A string type with no bytes raises error 5.
  Variant DecodeValue(uint32_t type, const std::string& bytes) const;
  // Writes ValueKey in the format ValueType chooses; creates the key path first.
  void Value(const Variant& vValue);
  // Lists the value names of root\SectionKey (1-based); True, also for a missing key (count 0).
  bool EnumerateValues(OneBasedArray<std::string>& sKeyNames, int32_t& iKeyCount);
  // Lists the subkey names of root\SectionKey (1-based); True, also for a missing key (count 0).
  bool EnumerateSections(OneBasedArray<std::string>& sSect, int32_t& iSectCount);

  // Registers a document type under HKEY_CLASSES_ROOT for an executable; the first failing write raises.
  void CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                            const std::string& sClassDescription, const std::string& sAssociation,
                            std::string sOpenMenuText, bool bSupportPrint, std::string sPrintMenuText,
                            bool bSupportNew, std::string sNewMenuText, bool bSupportInstall,
                            std::string sInstallMenuText, int32_t lDefaultIconIndex);
  // Adds shell verbs (Name, Text, Command triples) to an existing class under the current ClassKey;
  // failures go to the error reporter, never to the caller.
  void CreateAdditionalEXEAssociations(const std::string& sClassName, const std::vector<std::string>& vItems);

  int32_t ValueType() const { return valueType_; }
  void ValueType(int32_t eValueType) { valueType_ = eValueType; }
  int32_t ClassKey() const { return classKey_; }
  void ClassKey(int32_t eKey) { classKey_ = eKey; }
  const std::string& SectionKey() const { return sectionKey_; }
  void SectionKey(const std::string& sSectionKey) { sectionKey_ = sSectionKey; }
  const std::string& ValueKey() const { return valueKey_; }
  void ValueKey(const std::string& sValueKey) { valueKey_ = sValueKey; }
  const Variant& Default() const { return default_; }
  void Default(const Variant& vDefault) { default_ = vDefault; }

 private:
  [[noreturn]] void Raise(int32_t number, const std::string& description) const;
  std::string WriteFailureText(const Variant& v) const;
  void WriteDefaultString(const std::string& section, const std::string& text);

  RegistryApi& api_;
  ErrorReporter& reporter_;
  std::string source_;
  int32_t classKey_ = 0;
  std::string sectionKey_;
  std::string valueKey_;
  Variant default_;
  int32_t valueType_ = 0;
};

}  // namespace kqm
