// The Win32UserInfo class's natives against the real (Wine) token, account and shell
// functions, called through the executable's export table by their decorated names, with
// the fake VM as their JNIEnv. Wine keeps users added by the network-management functions
// in a list of the process and pretends to create groups and to grant rights; what these
// tests can see of them is said where they use them.
#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "jni_fake/fake_jvm.h"
#include "native_test.h"

namespace lnx {
namespace {

constexpr char kUserInfoClass[] = "com/lanternix/runtime/installer/platform/win32/Win32UserInfo";
constexpr jint kAdministrators = 544;
constexpr jint kUsers = 545;
constexpr jint kPowerUsers = 547;
constexpr jint kUserNotFound = 2221; // NERR_UserNotFound

using MemberNative = jboolean(JNICALL*)(JNIEnv*, jclass, jint);
using ExecuteNative = jboolean(JNICALL*)(JNIEnv*, jclass, jstring, jstring, jstring, jint);
using ElevationNative = jint(JNICALL*)(JNIEnv*, jclass);
using AddUserNative = jstring(JNICALL*)(JNIEnv*, jclass, jstring, jstring, jstring, jstring, jstring, jboolean,
                                        jboolean);
using DeleteNative = jint(JNICALL*)(JNIEnv*, jclass, jstring, jstring);
using AccountNameNative = jstring(JNICALL*)(JNIEnv*, jclass, jstring, jboolean);
using ProfileNative = jstring(JNICALL*)(JNIEnv*, jclass, jstring, jstring);
using UserSidNative = jstring(JNICALL*)(JNIEnv*, jclass);
using RightNative = jboolean(JNICALL*)(JNIEnv*, jclass, jstring, jstring, jboolean);

template <typename Function> NativeMethod<Function> userInfoNative(const char* method) {
  return nativeFunction<Function>(kUserInfoClass, method);
}

// What the process token says, read here without the natives.
std::vector<BYTE> processTokenInformation(TOKEN_INFORMATION_CLASS kind) {
  HANDLE token = nullptr;
  std::vector<BYTE> data;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return data;
  DWORD size = 0;
  GetTokenInformation(token, kind, nullptr, 0, &size);
  data.resize(size);
  if (!GetTokenInformation(token, kind, data.data(), size, &size)) data.clear();
  CloseHandle(token);
  return data;
}

std::wstring processUserSid() {
  std::vector<BYTE> user = processTokenInformation(TokenUser);
  wchar_t* text = nullptr;
  if (user.empty() || !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text)) return L"";
  std::wstring sid = text;
  LocalFree(text);
  return sid;
}

jint processElevationType() {
  std::vector<BYTE> elevation = processTokenInformation(TokenElevationType);
  return elevation.size() == sizeof(DWORD) ? static_cast<jint>(*reinterpret_cast<DWORD*>(elevation.data())) : 0;
}

// The calling thread impersonates a copy of the process token in which the built-in
// Administrators group is for deny only, as in a filtered administrator token.
class FilteredAdministratorImpersonation {
public:
  FilteredAdministratorImpersonation() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    HANDLE process = nullptr;
    HANDLE restricted = nullptr;
    HANDLE impersonation = nullptr;
    if (AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                 0, &administrators) &&
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &process)) {
      SID_AND_ATTRIBUTES denyOnly{administrators, 0};
      if (CreateRestrictedToken(process, 0, 1, &denyOnly, 0, nullptr, 0, nullptr, &restricted) &&
          DuplicateToken(restricted, SecurityImpersonation, &impersonation))
        active_ = SetThreadToken(nullptr, impersonation) != FALSE;
    }
    for (HANDLE handle : {process, restricted, impersonation})
      if (handle) CloseHandle(handle);
    if (administrators) FreeSid(administrators);
  }
  ~FilteredAdministratorImpersonation() {
    if (active_) RevertToSelf();
  }
  bool active() const { return active_; }

private:
  bool active_ = false;
};

class UserInfoNatives : public NativeTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(isMemberOfGroup && executeElevated && getElevationType && addUser && deleteUser && deleteLocalGroup &&
                getAccountName && getUserProfileDirectory && getUserSid && setLsaAccountRight)
        << "every Win32UserInfo native is exported under its decorated name";
  }

  void TearDown() override {
    // Nothing created stays: every user added under a test name is deleted until none is
    // left (Wine accepts the same name twice), and the test group is removed.
    for (const std::wstring& user : {userName, longUserName})
      for (int deleted = 0; deleted < 4; ++deleted)
        if (deleteUser(env, nullptr, nullptr, text(user)) != 0) break;
    deleteLocalGroup(env, nullptr, nullptr, text(groupName));
    NativeTest::TearDown();
  }

  // The Java string's text; "(null)" for none.
  std::wstring textOf(jstring string) {
    std::optional<std::u16string> characters = jvm.stringText(string);
    return characters ? std::wstring(characters->begin(), characters->end()) : L"(null)";
  }
  std::wstring accountName(const wchar_t* sid, bool nameOnly) {
    return textOf(getAccountName(env, nullptr, sid ? text(sid) : nullptr, nameOnly));
  }
  std::wstring profileDirectory(const wchar_t* sid) {
    return textOf(getUserProfileDirectory(env, nullptr, sid ? text(sid) : nullptr, text(L"Secret-1")));
  }

  const std::wstring suffix = std::to_wstring(GetCurrentProcessId());
  const std::wstring userName = L"lnxu" + suffix;
  const std::wstring longUserName = L"lnx-user-name-beyond-twenty-units-" + suffix;
  const std::wstring groupName = L"lnxg" + suffix;

  NativeMethod<MemberNative> isMemberOfGroup = userInfoNative<MemberNative>("isMemberOfGroup0");
  NativeMethod<ExecuteNative> executeElevated = userInfoNative<ExecuteNative>("executeElevated0");
  NativeMethod<ElevationNative> getElevationType = userInfoNative<ElevationNative>("getElevationType0");
  NativeMethod<AddUserNative> addUser = userInfoNative<AddUserNative>("addUser0");
  NativeMethod<DeleteNative> deleteUser = userInfoNative<DeleteNative>("deleteUser0");
  NativeMethod<DeleteNative> deleteLocalGroup = userInfoNative<DeleteNative>("deleteLocalGroup0");
  NativeMethod<AccountNameNative> getAccountName = userInfoNative<AccountNameNative>("getAccountName0");
  NativeMethod<ProfileNative> getUserProfileDirectory = userInfoNative<ProfileNative>("getUserProfileDirectory0");
  NativeMethod<UserSidNative> getUserSid = userInfoNative<UserSidNative>("getUserSid0");
  NativeMethod<RightNative> setLsaAccountRight = userInfoNative<RightNative>("setLsaAccountRight0");
};

TEST_F(UserInfoNatives, UserAndElevationAreThoseOfTheProcessToken) {
  std::wstring expectedSid = processUserSid();
  ASSERT_EQ(0u, expectedSid.rfind(L"S-1-5-21-", 0)) << expectedSid;
  EXPECT_EQ(expectedSid, textOf(getUserSid(env, nullptr)));

  jint expectedType = processElevationType();
  EXPECT_EQ(expectedType, getElevationType(env, nullptr));
  EXPECT_TRUE(expectedType >= 1 && expectedType <= 3) << expectedType;
}

TEST_F(UserInfoNatives, OnlyEnabledGroupsThatDoNotDenyMakeAMember) {
  // The prefix's user is an elevated administrator.
  EXPECT_TRUE(isMemberOfGroup(env, nullptr, kAdministrators));
  EXPECT_TRUE(isMemberOfGroup(env, nullptr, kUsers));
  EXPECT_FALSE(isMemberOfGroup(env, nullptr, kPowerUsers)) << "a group the token does not hold";
  EXPECT_FALSE(isMemberOfGroup(env, nullptr, -1));
  {
    // The thread's token is asked first: there Administrators is for deny only.
    FilteredAdministratorImpersonation filtered;
    ASSERT_TRUE(filtered.active());
    EXPECT_FALSE(isMemberOfGroup(env, nullptr, kAdministrators));
    EXPECT_TRUE(isMemberOfGroup(env, nullptr, kUsers));
    EXPECT_EQ(processUserSid(), textOf(getUserSid(env, nullptr)));
    EXPECT_EQ(processElevationType(), getElevationType(env, nullptr)) << "the elevation is always the process's";
  }
  EXPECT_TRUE(isMemberOfGroup(env, nullptr, kAdministrators)) << "after the impersonation ended";
}

TEST_F(UserInfoNatives, ServiceAccountsHaveFixedNames) {
  // A look-up would give "SYSTEM", "LOCAL SERVICE" and "NETWORK SERVICE".
  for (bool nameOnly : {false, true}) {
    EXPECT_EQ(L"NT AUTHORITY\\System", accountName(L"S-1-5-18", nameOnly));
    EXPECT_EQ(L"NT AUTHORITY\\LocalService", accountName(L"S-1-5-19", nameOnly));
    EXPECT_EQ(L"NT AUTHORITY\\NetworkService", accountName(L"S-1-5-20", nameOnly));
  }
  for (const wchar_t* service : {L"S-1-5-18", L"S-1-5-19", L"S-1-5-20"})
    EXPECT_EQ(L" no user account", profileDirectory(service)) << service;
}

TEST_F(UserInfoNatives, LookedUpAccountsAreNamedLocallyOrByDomain) {
  EXPECT_EQ(L".\\Administrators", accountName(L"S-1-5-32-544", false)) << "built-in groups are local";
  EXPECT_EQ(L"Administrators", accountName(L"S-1-5-32-544", true));
  EXPECT_EQ(L".\\Everyone", accountName(L"S-1-1-0", false)) << "an account without domain";

  wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD computerUnits = MAX_COMPUTERNAME_LENGTH + 1;
  wchar_t user[256];
  DWORD userUnits = 256;
  ASSERT_TRUE(GetComputerNameW(computer, &computerUnits) && GetUserNameW(user, &userUnits));
  EXPECT_EQ(std::wstring(computer) + L"\\" + user, accountName(processUserSid().c_str(), false));
  EXPECT_EQ(user, accountName(processUserSid().c_str(), true));

  EXPECT_EQ(L" 1337", accountName(L"S-1-5-nonsense", false)) << "ERROR_INVALID_SID";
  EXPECT_EQ(L" 1332", accountName(L"S-1-5-21-1-2-3-4444", false)) << "ERROR_NONE_MAPPED";
  EXPECT_EQ(L" 87", accountName(nullptr, true)) << "no SID text: ERROR_INVALID_PARAMETER";
}

TEST_F(UserInfoNatives, ProfileLookUpNamesTheStepThatFailed) {
  EXPECT_EQ(L" could not convert sid 1337", profileDirectory(L"S-1-5-nonsense"));
  EXPECT_EQ(L" could not convert sid 87", profileDirectory(nullptr));
  EXPECT_EQ(L" could not look up account name 1332", profileDirectory(L"S-1-5-21-1-2-3-4444"));
  // Wine's network logon accepts any password but hands out no token, so the user's own
  // SID and a built-in group get as far as the profile directory.
  EXPECT_EQ(L" could not get user profile dir 6", profileDirectory(processUserSid().c_str()));
  EXPECT_EQ(L" could not get user profile dir 6", profileDirectory(L"S-1-5-32-545"));
  EXPECT_EQ(nullptr, GetModuleHandleW(L"userenv.dll")) << "the profile library is freed after each call";
}

TEST_F(UserInfoNatives, UsersAreCreatedOnceAndDeleted) {
  // Wine's account list has no SIDs: reading the new user at level 23 fails with
  // NERR_InternalError, after the user was added.
  EXPECT_EQ(L"3 2140", textOf(addUser(env, nullptr, text(userName), text(L"Secret-1"), text(L"lnx test user"),
                                      text(groupName), text(L"lnx test group"), true, true)));
  EXPECT_EQ(0, deleteUser(env, nullptr, nullptr, text(userName))) << "the user was added";
  EXPECT_EQ(kUserNotFound, deleteUser(env, nullptr, nullptr, text(userName))) << "exactly once";

  EXPECT_EQ(L"3 2140", textOf(addUser(env, nullptr, text(userName), nullptr, nullptr, nullptr, nullptr, false, false)))
      << "no password, comment or group";
  EXPECT_EQ(0, deleteUser(env, nullptr, nullptr, text(userName)));

  EXPECT_EQ(L"(null)",
            textOf(addUser(env, nullptr, nullptr, text(L"Secret-1"), nullptr, nullptr, nullptr, false, false)))
      << "no user name, nothing created";
}

TEST_F(UserInfoNatives, RefusedUserGivesStepStatusAndParameterIndex) {
  // A name beyond 20 units: NERR_BadUsername, without an offending parameter.
  EXPECT_EQ(L"2 2202 0", textOf(addUser(env, nullptr, text(longUserName), text(L"Secret-1"), nullptr, text(groupName),
                                        nullptr, true, false)));
  EXPECT_EQ(kUserNotFound, deleteUser(env, nullptr, nullptr, text(longUserName))) << "no user was added";
}

TEST_F(UserInfoNatives, DeletionReturnsTheNetworkStatus) {
  EXPECT_EQ(kUserNotFound, deleteUser(env, nullptr, nullptr, text(L"lnx-no-such-user")));
  EXPECT_EQ(kUserNotFound, deleteUser(env, nullptr, text(L"\\\\lnx-no-such-host"), text(L"lnx-no-such-user")));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, deleteUser(env, nullptr, nullptr, nullptr)) << "no name, no call";
  EXPECT_EQ(ERROR_INVALID_PARAMETER, deleteLocalGroup(env, nullptr, nullptr, nullptr));
}

TEST_F(UserInfoNatives, RightsNeedAnAccountGivenBySidOrName) {
  // Wine's policy store accepts every change and keeps none, so only the account
  // resolution can be seen.
  std::wstring sid = processUserSid();
  EXPECT_TRUE(setLsaAccountRight(env, nullptr, text(sid), text(L"SeServiceLogonRight"), true));
  EXPECT_TRUE(setLsaAccountRight(env, nullptr, text(sid), text(L"SeServiceLogonRight"), false));
  EXPECT_TRUE(setLsaAccountRight(env, nullptr, text(sid), nullptr, false)) << "every right removed";
  EXPECT_TRUE(setLsaAccountRight(env, nullptr, text(L"Administrators"), text(L"SeBatchLogonRight"), true))
      << "an account name";
  EXPECT_TRUE(setLsaAccountRight(env, nullptr, text(L"S-1-5-21-1-2-3-4444"), text(L"SeBatchLogonRight"), true))
      << "a SID text is used without a look-up";
  EXPECT_FALSE(setLsaAccountRight(env, nullptr, text(L"lnx-no-such-account"), text(L"SeBatchLogonRight"), true));
  EXPECT_FALSE(setLsaAccountRight(env, nullptr, nullptr, text(L"SeBatchLogonRight"), true));
}

TEST_F(UserInfoNatives, ElevatedStartRunsTheProgramInTheGivenDirectory) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
  const std::wstring directory = std::wstring(temp) + L"lnx-elevated-" + suffix;
  const std::wstring marker = directory + L"\\started.txt";
  ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
  const jstring shell = text(L"C:\\windows\\system32\\cmd.exe");

  EXPECT_TRUE(executeElevated(env, nullptr, shell, text(L"/c echo started> started.txt"), text(directory), SW_HIDE));
  for (int waited = 0; waited < 200 && GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited)
    Sleep(50);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(marker.c_str())) << "written in the given directory";

  EXPECT_FALSE(executeElevated(env, nullptr, text(directory + L"\\missing.exe"), nullptr, nullptr, SW_HIDE));
  EXPECT_FALSE(executeElevated(env, nullptr, nullptr, nullptr, text(directory), SW_HIDE));

  // The shell keeps the directory as its current one until it has ended.
  bool removed = false;
  for (int waited = 0; waited < 200 && !removed; ++waited) {
    removed =
        (DeleteFileW(marker.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) && RemoveDirectoryW(directory.c_str());
    if (!removed) Sleep(50);
  }
  EXPECT_TRUE(removed);
}

} // namespace
} // namespace lnx
