// The ACLHandling class's native against real (Wine) objects, called through the
// executable's export table, with the fake VM as its JNIEnv. Wine keeps the access lists of
// registry keys, so the added entries are read back there; for files and directories it
// reports success without storing the entry, so only the result and the unchanged list
// can be seen.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"
#include "win32/unique_handle.h"

namespace lnx {
namespace {

using AddAceNative = jboolean(JNICALL*)(JNIEnv*, jclass, jstring, jboolean, jboolean, jboolean, jboolean, jboolean,
                                        jint, jstring);

constexpr BYTE kInheritedBySubcontainersAndObjects = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

struct AccessEntry {
  std::wstring sid;
  DWORD rights = 0;
  BYTE flags = 0;
  bool operator==(const AccessEntry& other) const {
    return sid == other.sid && rights == other.rights && flags == other.flags;
  }
};

void PrintTo(const AccessEntry& entry, std::ostream* out) {
  *out << std::string(entry.sid.begin(), entry.sid.end()) << " rights 0x" << std::hex << entry.rights << " flags 0x"
       << static_cast<int>(entry.flags);
}

// The granting entries of the object's access list, in order.
std::vector<AccessEntry> accessEntries(const std::wstring& objectName, SE_OBJECT_TYPE type) {
  PACL list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, GetNamedSecurityInfoW(objectName.c_str(), type, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                                 &list, nullptr, &descriptor));
  std::vector<AccessEntry> entries;
  for (DWORD index = 0; list && index < list->AceCount; ++index) {
    ACCESS_ALLOWED_ACE* entry = nullptr;
    if (!GetAce(list, index, reinterpret_cast<void**>(&entry)) || entry->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
      continue;
    wchar_t* sidText = nullptr;
    ConvertSidToStringSidW(&entry->SidStart, &sidText);
    entries.push_back({sidText, entry->Mask, entry->Header.AceFlags});
    LocalFree(sidText);
  }
  LocalFree(descriptor);
  return entries;
}

bool contains(const std::vector<AccessEntry>& entries, const AccessEntry& wanted) {
  return std::find(entries.begin(), entries.end(), wanted) != entries.end();
}

class ACLHandlingNatives : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(addAce) << "addACE is exported under its decorated name";
    HKEY created = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &created, nullptr));
    RegCloseKey(created);
  }

  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath.c_str());
    NativeTest::TearDown();
  }


  // The name the security functions know a subkey of the test key by; created when missing.
  std::wstring subkeyObject(const std::wstring& subkey) {
    HKEY created = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, (keyPath + L"\\" + subkey).c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &created, nullptr));
    RegCloseKey(created);
    return keyObjectName + L"\\" + subkey;
  }
  // Grants the rights to the principal on a subkey of the test key, and gives what stdout
  // showed.
  bool grantOnKey(const std::wstring& subkey, bool read, bool write, bool execute, bool all, jint type,
                  jstring principal, std::string* printed = nullptr) {
    std::wstring objectName = subkeyObject(subkey);
    testing::internal::CaptureStdout();
    bool granted = addAce(env, nullptr, text(objectName), true, read, write, execute, all, type, principal);
    std::string output = testing::internal::GetCapturedStdout();
    if (printed) *printed = output;
    return granted;
  }
  std::vector<AccessEntry> keyEntries(const std::wstring& subkey) {
    return accessEntries(subkeyObject(subkey), SE_REGISTRY_KEY);
  }

  const std::wstring keyPath = L"Software\\lnx-acl-" + std::to_wstring(GetCurrentProcessId());
  // The registry key as the security functions name it.
  const std::wstring keyObjectName = L"CURRENT_USER\\" + keyPath;
  NativeMethod<AddAceNative> addAce =
      nativeFunction<AddAceNative>("com/lanternix/runtime/installer/platform/win32/ACLHandling", "addACE");
};

TEST_F(ACLHandlingNatives, EveryoneGetsAnInheritableGrantBesideTheExistingEntries) {
  std::vector<AccessEntry> before = accessEntries(keyObjectName, SE_REGISTRY_KEY);
  ASSERT_FALSE(before.empty());
  testing::internal::CaptureStdout();
  ASSERT_TRUE(addAce(env, nullptr, text(keyObjectName), true, true, false, false, false, 0, nullptr));
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
  std::vector<AccessEntry> after = accessEntries(keyObjectName, SE_REGISTRY_KEY);
  EXPECT_TRUE(contains(after, {L"S-1-1-0", GENERIC_READ, kInheritedBySubcontainersAndObjects}));
  EXPECT_EQ(before.size() + 1, after.size());
  for (const AccessEntry& kept : before)
    EXPECT_TRUE(contains(after, kept)) << testing::PrintToString(kept);
}

TEST_F(ACLHandlingNatives, PrincipalTypesAndNamesGiveTheirSids) {
  struct Case {
    const wchar_t* subkey;
    jint type;
    const wchar_t* principal;
    const wchar_t* sid;
  };
  const Case cases[] = {
      {L"authenticated", 1, nullptr, L"S-1-5-11"},
      {L"power", 5, L"S-1-5-32-545", L"S-1-5-32-547"}, // the principal counts only for type 3
      {L"other", 4, nullptr, L"S-1-1-0"},
      {L"sidtext", 3, L"S-1-5-32-545", L"S-1-5-32-545"},
      {L"account", 3, L"Users", L"S-1-5-32-545"},
  };
  for (const Case& tried : cases) {
    jstring principal = tried.principal ? text(tried.principal) : nullptr;
    ASSERT_TRUE(grantOnKey(tried.subkey, false, true, true, false, tried.type, principal)) << tried.subkey;
    EXPECT_TRUE(contains(keyEntries(tried.subkey),
                         {tried.sid, GENERIC_WRITE | GENERIC_EXECUTE, kInheritedBySubcontainersAndObjects}))
        << tried.subkey;
  }
  ASSERT_TRUE(grantOnKey(L"all", false, false, false, true, 0, nullptr));
  EXPECT_TRUE(contains(keyEntries(L"all"), {L"S-1-1-0", GENERIC_ALL, kInheritedBySubcontainersAndObjects}));
}

TEST_F(ACLHandlingNatives, UnknownPrincipalsAndMissingArgumentsChangeNothing) {
  std::vector<AccessEntry> before = keyEntries(L"unknown");
  std::string printed;
  EXPECT_FALSE(grantOnKey(L"unknown", true, false, false, false, 3, text(L"lnx-no-such-account"), &printed));
  EXPECT_EQ("", printed);
  EXPECT_FALSE(grantOnKey(L"unknown", true, false, false, false, 3, nullptr, &printed)) << "type 3 without a name";
  EXPECT_EQ(before, keyEntries(L"unknown"));
  EXPECT_FALSE(addAce(env, nullptr, nullptr, true, true, false, false, false, 0, nullptr)) << "no object";
}

TEST_F(ACLHandlingNatives, AMissingObjectIsReportedWithItsName) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
  std::wstring missingFile = std::wstring(temp) + L"lnx-acl-missing.txt";
  testing::internal::CaptureStdout();
  EXPECT_FALSE(addAce(env, nullptr, text(missingFile), false, true, false, false, false, 0, nullptr));
  EXPECT_EQ("GetNamedSecurityInfo Error 2 " + std::string(missingFile.begin(), missingFile.end()) + "\n",
            testing::internal::GetCapturedStdout());

  std::wstring missingKey = keyObjectName + L"\\missing";
  testing::internal::CaptureStdout();
  EXPECT_FALSE(addAce(env, nullptr, text(missingKey), true, true, false, false, false, 0, nullptr));
  EXPECT_EQ("GetNamedSecurityInfo Error 2 " + std::string(missingKey.begin(), missingKey.end()) + "\n",
            testing::internal::GetCapturedStdout());
}

TEST_F(ACLHandlingNatives, FilesAndDirectoriesTakeTheGrant) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
  std::wstring directory = std::wstring(temp) + L"lnx-acl-" + std::to_wstring(GetCurrentProcessId());
  std::wstring file = directory + L"\\file.txt";
  ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
  FileHandle created(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  ASSERT_TRUE(created.valid());
  created.reset();

  for (const std::wstring& object : {directory, file}) {
    std::vector<AccessEntry> before = accessEntries(object, SE_FILE_OBJECT);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(addAce(env, nullptr, text(object), false, true, false, false, false, 0, nullptr));
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    std::vector<AccessEntry> after = accessEntries(object, SE_FILE_OBJECT);
    for (const AccessEntry& kept : before)
      EXPECT_TRUE(contains(after, kept)) << testing::PrintToString(kept);
  }
  DeleteFileW(file.c_str());
  RemoveDirectoryW(directory.c_str());
}

} // namespace
} // namespace lnx
