#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "controls/skin_button/sknButton.h"

namespace kqm {

// A container's store of a control's persisted properties. Keys match case-insensitively. A read returns
// the given default when the key is absent or holds a value of another type.
class PropertyBag {
 public:
  virtual ~PropertyBag() = default;
  virtual std::int32_t ReadLong(std::string_view key, std::int32_t def) = 0;
  virtual std::int16_t ReadInteger(std::string_view key, std::int16_t def) = 0;
  virtual bool ReadBool(std::string_view key, bool def) = 0;
  virtual std::string ReadString(std::string_view key, const std::string& def) = 0;
  virtual ButtonFont ReadFont(std::string_view key, const ButtonFont& def) = 0;
  virtual PicturePtr ReadPicture(std::string_view key, const PicturePtr& def) = 0;
  // Writes replace a key's earlier value in place, or append the key.
  virtual void WriteLong(std::string_view key, std::int32_t value) = 0;
  virtual void WriteBool(std::string_view key, bool value) = 0;
  virtual void WriteString(std::string_view key, std::string_view value) = 0;
  virtual void WriteFont(std::string_view key, const ButtonFont& value) = 0;
  virtual void WritePicture(std::string_view key, const PicturePtr& value) = 0;
};

// One problem found in bag text or on a typed read: 1-based line (0 for a read), the key if known, the reason.
struct BagError {
  int line = 0;
  std::string key;
  std::string message;
};

// A property bag kept as text any container can store, one "KEY=value" line per property, in write order:
//   BTYPE=2   TX="Save &As"   ENAB=True   FONT=Font("Tahoma", 8.25, 700, False, False)
//   PICN=Nothing   PICN=Bitmap(<base64 of a .bmp file>)   MICON=Icon(<base64 of a .ico file>)
// Strings escape \\ \" \n \r \t and \xHH. Blank lines and lines starting with ';' or '#' are ignored.
class TextPropertyBag final : public PropertyBag {
 public:
  using Value = std::variant<std::int32_t, bool, std::string, ButtonFont, PicturePtr>;
  struct Entry {
    std::string key;
    Value value;
  };

  // Replaces the contents with the properties in text. Lines that cannot be read are skipped (their keys
  // then read as defaults) and reported; a duplicate key keeps its first value. Returns true when clean.
  bool Load(std::string_view text);
  // The properties as text, one line each, "\r\n" separated, in the order they were written.
  std::string Save() const;

  // Problems of the last Load and of typed reads since then.
  const std::vector<BagError>& Errors() const { return errors_; }
  const std::vector<Entry>& Entries() const { return entries_; }
  void Clear();

  std::int32_t ReadLong(std::string_view key, std::int32_t def) override;
  std::int16_t ReadInteger(std::string_view key, std::int16_t def) override;
  bool ReadBool(std::string_view key, bool def) override;
  std::string ReadString(std::string_view key, const std::string& def) override;
  ButtonFont ReadFont(std::string_view key, const ButtonFont& def) override;
  PicturePtr ReadPicture(std::string_view key, const PicturePtr& def) override;
  void WriteLong(std::string_view key, std::int32_t value) override;
  void WriteBool(std::string_view key, bool value) override;
  void WriteString(std::string_view key, std::string_view value) override;
  void WriteFont(std::string_view key, const ButtonFont& value) override;
  void WritePicture(std::string_view key, const PicturePtr& value) override;

 private:
  const Value* Find(std::string_view key) const;
  void Put(std::string_view key, Value value);
  void TypeError(std::string_view key, const char* wanted);

  std::vector<Entry> entries_;
  std::vector<BagError> errors_;
};

// Case-insensitive (ASCII) key comparison, as bags match keys.
bool BagKeyEquals(std::string_view a, std::string_view b);

}  // namespace kqm
