#include "class_file.h"

namespace jnifake {

namespace {

constexpr uint32_t kMagic = 0xCAFEBABE;

enum ConstantTag : uint8_t {
  utf8 = 1,
  integer = 3,
  floating = 4,
  longInteger = 5,
  doubleFloating = 6,
  classRef = 7,
  stringRef = 8,
  fieldRef = 9,
  methodRef = 10,
  interfaceMethodRef = 11,
  nameAndType = 12,
  methodHandle = 15,
  methodType = 16,
  dynamic = 17,
  invokeDynamic = 18,
  module = 19,
  package = 20,
};

// Big-endian reads that turn the cursor bad instead of running past the end; the parse
// checks once at the end.
class Cursor {
public:
  explicit Cursor(const std::string& bytes) : bytes_(bytes) {}
  bool good() const { return good_; }
  uint32_t u1() { return value(1); }
  uint32_t u2() { return value(2); }
  uint32_t u4() { return value(4); }
  std::string text(size_t length) {
    if (!available(length))
      return {};
    std::string taken = bytes_.substr(offset_, length);
    offset_ += length;
    return taken;
  }
  void skip(size_t length) {
    if (available(length))
      offset_ += length;
  }

private:
  bool available(size_t length) {
    if (good_ && length > bytes_.size() - offset_)
      good_ = false;
    return good_;
  }
  uint32_t value(size_t length) {
    if (!available(length))
      return 0;
    uint32_t result = 0;
    for (size_t index = 0; index < length; ++index)
      result = (result << 8) | static_cast<unsigned char>(bytes_[offset_ + index]);
    offset_ += length;
    return result;
  }
  const std::string& bytes_;
  size_t offset_ = 0;
  bool good_ = true;
};

// The constant pool keeps only what member and class names refer to: the UTF-8 entries
// and the name index of each class entry.
struct ConstantPool {
  std::vector<std::optional<std::string>> utf8Entries;
  std::vector<uint32_t> classNameIndex;

  const std::string* utf8At(uint32_t index) const {
    return index < utf8Entries.size() && utf8Entries[index] ? &*utf8Entries[index] : nullptr;
  }
  const std::string* className(uint32_t index) const {
    return index < classNameIndex.size() ? utf8At(classNameIndex[index]) : nullptr;
  }
};

std::optional<size_t> constantSize(uint32_t tag) {
  switch (tag) {
  case classRef:
  case stringRef:
  case methodType:
  case module:
  case package:
    return 2;
  case methodHandle:
    return 3;
  case integer:
  case floating:
  case fieldRef:
  case methodRef:
  case interfaceMethodRef:
  case nameAndType:
  case dynamic:
  case invokeDynamic:
    return 4;
  case longInteger:
  case doubleFloating:
    return 8;
  default:
    return std::nullopt;
  }
}

bool readConstantPool(Cursor& cursor, ConstantPool& pool) {
  uint32_t count = cursor.u2();
  pool.utf8Entries.assign(count, std::nullopt);
  pool.classNameIndex.assign(count, 0);
  for (uint32_t index = 1; index < count && cursor.good(); ++index) {
    uint32_t tag = cursor.u1();
    if (tag == utf8) {
      pool.utf8Entries[index] = cursor.text(cursor.u2());
    } else if (tag == classRef) {
      pool.classNameIndex[index] = cursor.u2();
    } else if (std::optional<size_t> size = constantSize(tag)) {
      cursor.skip(*size);
      // Eight-byte constants take two entries of the pool.
      if (tag == longInteger || tag == doubleFloating)
        ++index;
    } else {
      return false;
    }
  }
  return cursor.good();
}

void skipAttributes(Cursor& cursor) {
  for (uint32_t count = cursor.u2(); count > 0 && cursor.good(); --count) {
    cursor.u2();
    cursor.skip(cursor.u4());
  }
}

bool readMembers(Cursor& cursor, const ConstantPool& pool, std::vector<ClassMember>& members) {
  for (uint32_t count = cursor.u2(); count > 0 && cursor.good(); --count) {
    uint16_t access = static_cast<uint16_t>(cursor.u2());
    const std::string* name = pool.utf8At(cursor.u2());
    const std::string* descriptor = pool.utf8At(cursor.u2());
    skipAttributes(cursor);
    if (!name || !descriptor)
      return false;
    members.push_back({*name, *descriptor, access});
  }
  return cursor.good();
}

} // namespace

std::optional<ClassFile> parseClassFile(const std::string& bytes) {
  Cursor cursor(bytes);
  if (cursor.u4() != kMagic)
    return std::nullopt;
  cursor.u2(); // minor version
  cursor.u2(); // major version
  ConstantPool pool;
  if (!readConstantPool(cursor, pool))
    return std::nullopt;
  ClassFile parsed;
  parsed.access = static_cast<uint16_t>(cursor.u2());
  const std::string* name = pool.className(cursor.u2());
  uint32_t superIndex = cursor.u2();
  const std::string* superName = pool.className(superIndex);
  if (!name || (superIndex != 0 && !superName))
    return std::nullopt;
  parsed.name = *name;
  parsed.superName = superName ? *superName : std::string();
  cursor.skip(2 * static_cast<size_t>(cursor.u2())); // interfaces
  if (!readMembers(cursor, pool, parsed.fields) || !readMembers(cursor, pool, parsed.methods))
    return std::nullopt;
  skipAttributes(cursor);
  return cursor.good() ? std::optional<ClassFile>(std::move(parsed)) : std::nullopt;
}

} // namespace jnifake
