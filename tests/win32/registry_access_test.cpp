// The registry interface over the real (Wine) registry, in a key of its own under HKCU.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/registry.h"
#include "win32/unique_handle.h"

namespace lnx {
namespace {

class RegistryAccess : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(kRegistryOk, registry.createKey(key(""))); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str()); }

  RegistryKeyName key(const std::string& below, uint32_t view = 0) const {
    return {RegistryRoot::CurrentUser, below.empty() ? base : base + "\\" + below, view};
  }
  // The value as stored (strings in UTF-16): its type and size in bytes.
  bool rawValue(const wchar_t* valueName, DWORD& type, DWORD& size) const {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegistryKey owner(opened);
    return RegQueryValueExW(opened, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  }

  const std::string base = "Software\\lnx-tests-" + std::to_string(GetCurrentProcessId());
  Registry& registry = processRegistry();
};

TEST_F(RegistryAccess, MissingKeysAndValuesGiveWindowsErrorCodes) {
  std::string text;
  std::vector<uint8_t> data;
  std::vector<std::string> names;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.openKey(key("missing")));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.subkeyNames(key("missing"), names));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.readString(key("missing"), "Version", 100, text));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.readString(key(""), "Version", 100, text));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.readBinary(key(""), "LastWriteTime", 8, data));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.writeString(key("missing"), "Version", "1.8"))
      << "writing does not create the key";
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.openKey(key("missing")));
}

TEST_F(RegistryAccess, CreatedKeysOpenAlsoWithTrailingSeparatorAndAnyCase) {
  ASSERT_EQ(kRegistryOk, registry.createKey(key("jvms\\c:/jre/bin/java.exe")));
  EXPECT_EQ(kRegistryOk, registry.createKey(key("jvms\\c:/jre/bin/java.exe"))) << "an existing key opens";
  EXPECT_EQ(kRegistryOk, registry.openKey(key("JVMS\\C:/JRE/bin/java.exe")));
  EXPECT_EQ(kRegistryOk, registry.openKey(key("jvms\\")));
  EXPECT_EQ(kRegistryOk, registry.openKey(key("jvms", kRegistry32BitView)));
  EXPECT_EQ(kRegistryOk, registry.openKey({RegistryRoot::LocalMachine, "SYSTEM\\CurrentControlSet"}));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry.openKey({RegistryRoot::CurrentUser, "SYSTEM\\CurrentControlSet"}));
}

TEST_F(RegistryAccess, WrittenStringReadsBackWithinItsLimit) {
  // The data length excludes the zero; the system stores it anyway when one follows the
  // text, so only the text read back is certain.
  ASSERT_EQ(kRegistryOk, registry.writeString(key(""), "Version", "1.8.0_201"));
  DWORD type = 0, size = 0;
  ASSERT_TRUE(rawValue(L"Version", type, size));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  // Read back through the wide call: nine UTF-16 units, with or without the zero.
  EXPECT_TRUE(size == 18 || size == 20) << size;
  std::string text;
  ASSERT_EQ(kRegistryOk, registry.readString(key(""), "version", 100, text));
  EXPECT_EQ("1.8.0_201", text);
  EXPECT_EQ(ERROR_MORE_DATA, registry.readString(key(""), "Version", 5, text));
  ASSERT_EQ(kRegistryOk, registry.writeString(key(""), "Version", ""));
  ASSERT_EQ(kRegistryOk, registry.readString(key(""), "Version", 100, text));
  EXPECT_EQ("", text);
}

TEST_F(RegistryAccess, StringStoredWithoutTerminatorNeedsRoomForOne) {
  // A non-zero character after the counted data, or the system counts the zero in.
  const wchar_t version[] = L"1.8.0_201X";
  const DWORD withoutZero = 9 * sizeof(wchar_t);
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, std::wstring(base.begin(), base.end()).c_str(),
                                           L"Version", REG_SZ, version, withoutZero));
  DWORD type = 0, size = 0;
  ASSERT_TRUE(rawValue(L"Version", type, size));
  ASSERT_EQ(withoutZero, size);
  std::string text;
  ASSERT_EQ(kRegistryOk, registry.readString(key(""), "Version", 10, text));
  EXPECT_EQ("1.8.0_201", text);
  EXPECT_EQ(ERROR_MORE_DATA, registry.readString(key(""), "Version", 9, text));
}

TEST_F(RegistryAccess, StringWithTerminatorReadsAlike) {
  const char home[] = "C:\\Program Files\\Java\\jre8";
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, base.c_str(), "JavaHome", REG_SZ, home, sizeof home));
  std::string text;
  ASSERT_EQ(kRegistryOk, registry.readString(key(""), "JavaHome", 6000, text));
  EXPECT_EQ(home, text);
  EXPECT_EQ(kRegistryOk, registry.readString(key(""), "JavaHome", sizeof home, text)) << "exactly fits";
  EXPECT_EQ(ERROR_MORE_DATA, registry.readString(key(""), "JavaHome", sizeof home - 1, text));
}

TEST_F(RegistryAccess, BinaryRoundTripWithLimit) {
  const std::vector<uint8_t> time = {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01};
  ASSERT_EQ(kRegistryOk, registry.writeBinary(key(""), "LastWriteTime", time));
  DWORD type = 0, size = 0;
  ASSERT_TRUE(rawValue(L"LastWriteTime", type, size));
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
  EXPECT_EQ(8u, size);
  std::vector<uint8_t> data;
  ASSERT_EQ(kRegistryOk, registry.readBinary(key(""), "LastWriteTime", 8, data));
  EXPECT_EQ(time, data);
  ASSERT_EQ(kRegistryOk, registry.readBinary(key(""), "LastWriteTime", 6000, data));
  EXPECT_EQ(time, data);
  EXPECT_EQ(ERROR_MORE_DATA, registry.readBinary(key(""), "LastWriteTime", 7, data));
}

// Every name comes back exactly as stored; the order is the caller's to choose (the runtime
// search orders by version), so the names are compared as a set.
TEST_F(RegistryAccess, SubkeyNamesAreEnumeratedWholeAndExact) {
  for (const char* name : {"1.8.0_31", "1.8.0_201", "c:/jre/bin/java.exe", "Java Runtime Environment"})
    ASSERT_EQ(kRegistryOk, registry.createKey(key(std::string("list\\") + name + "\\child")));
  std::vector<std::string> names;
  ASSERT_EQ(kRegistryOk, registry.subkeyNames(key("list"), names));
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"1.8.0_201", "1.8.0_31", "Java Runtime Environment", "c:/jre/bin/java.exe"}),
            names);
}

} // namespace
} // namespace lnx
