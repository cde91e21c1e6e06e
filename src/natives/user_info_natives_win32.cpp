// The natives of the Java class Win32UserInfo: the current user, its groups and elevation,
// elevated starts, local users and groups, account names and profile directories of SIDs,
// and account rights. Security, network-management and profile functions are looked up by
// name when a native needs them, so that a missing one gives that native's failure result.
// They never throw: failures are false, 0, -1, null or the fixed texts of
// natives/user_info_rules.h.
#include <windows.h>

#include <lm.h>
#include <ntsecapi.h>
#include <sddl.h>
#include <userenv.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "natives/user_info_rules.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {

// Buffers of the account look-ups and of the profile directory.
constexpr DWORD kNameUnits = 8192;
constexpr DWORD kSidBufferBytes = 8192;
constexpr DWORD kProfileDirectoryUnits = 8192;

constexpr ACCESS_MASK kPolicyAccess = POLICY_CREATE_ACCOUNT | POLICY_LOOKUP_NAMES; // 0x810

// Information levels of the network-management calls.
constexpr DWORD kUserInfoLevel = 1;        // USER_INFO_1: the new user
constexpr DWORD kUserSidInfoLevel = 23;    // USER_INFO_23: with the user's SID
constexpr DWORD kGroupInfoLevel = 1;       // LOCALGROUP_INFO_1: name and comment
constexpr DWORD kGroupMemberInfoLevel = 0; // LOCALGROUP_MEMBERS_INFO_0: members by SID

using ConvertSidToStringSidFunction = decltype(&ConvertSidToStringSidW);
using ConvertStringSidToSidFunction = decltype(&ConvertStringSidToSidW);
using LogonUserFunction = decltype(&LogonUserW);
using GetUserProfileDirectoryFunction = decltype(&GetUserProfileDirectoryW);
using NetAccountDeleteFunction = NET_API_STATUS(NET_API_FUNCTION*)(LPCWSTR server, LPCWSTR name);
using NetApiBufferFreeFunction = decltype(&NetApiBufferFree);

struct AllocatedSidTraits {
  using Value = PSID;
  static Value invalid() { return nullptr; }
  static void close(Value sid) { FreeSid(sid); }
};
using AllocatedSid = UniqueHandle<AllocatedSidTraits>;
// A buffer the network-management functions allocated, freed by their NetApiBufferFree.
using NetBuffer = std::unique_ptr<BYTE, NetApiBufferFreeFunction>;

template <class Function> Function advapiFunction(const char* name) {
  return systemFunction<Function>(L"advapi32.dll", name);
}

// netapi32.dll as loaded already, else loaded now and kept.
HMODULE netapiModule() {
  HMODULE module = GetModuleHandleW(L"netapi32.dll");
  return module ? module : LoadLibraryW(L"netapi32.dll");
}

struct TokenFunctions {
  decltype(&AllocateAndInitializeSid) allocateAndInitializeSid = nullptr;
  decltype(&EqualSid) equalSid = nullptr;
  decltype(&GetTokenInformation) getTokenInformation = nullptr;
  decltype(&OpenProcessToken) openProcessToken = nullptr;
  decltype(&OpenThreadToken) openThreadToken = nullptr;
};

// All five token functions, or nothing.
std::optional<TokenFunctions> tokenFunctions() {
  HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
  TokenFunctions functions;
  if (lookUp(advapi, "AllocateAndInitializeSid", functions.allocateAndInitializeSid) &&
      lookUp(advapi, "EqualSid", functions.equalSid) &&
      lookUp(advapi, "GetTokenInformation", functions.getTokenInformation) &&
      lookUp(advapi, "OpenProcessToken", functions.openProcessToken) &&
      lookUp(advapi, "OpenThreadToken", functions.openThreadToken))
    return functions;
  return std::nullopt;
}

// The token of the calling thread when it impersonates, else that of the process.
KernelHandle openCurrentToken(const TokenFunctions& functions) {
  HANDLE token = nullptr;
  if (functions.openThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) ||
      functions.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return KernelHandle(token);
  return KernelHandle();
}

// The size of a variable-size token information: the query without buffer has to fail for
// want of one.
std::optional<DWORD> tokenInformationSize(const TokenFunctions& functions, HANDLE token, TOKEN_INFORMATION_CLASS kind) {
  DWORD size = 0;
  if (functions.getTokenInformation(token, kind, nullptr, 0, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return std::nullopt;
  return size;
}

std::optional<std::vector<BYTE>> readTokenInformation(const TokenFunctions& functions, HANDLE token,
                                                      TOKEN_INFORMATION_CLASS kind, DWORD size) {
  std::vector<BYTE> data(size);
  if (!functions.getTokenInformation(token, kind, data.data(), size, &size)) return std::nullopt;
  return data;
}

std::optional<std::wstring> sidText(ConvertSidToStringSidFunction convert, PSID sid) {
  wchar_t* converted = nullptr;
  if (!convert(sid, &converted)) return std::nullopt;
  LocalMemory owner(converted);
  return std::wstring(converted);
}

// The SID a SID text denotes; null with the reason in error when there is none.
LocalMemory sidOfText(ConvertStringSidToSidFunction convert, const std::optional<std::wstring>& text, DWORD& error) {
  PSID sid = nullptr;
  if (!text) {
    error = ERROR_INVALID_PARAMETER;
    return LocalMemory();
  }
  if (!convert(text->c_str(), &sid)) {
    error = GetLastError();
    return LocalMemory();
  }
  return LocalMemory(sid);
}

// The SID of an account name on the local computer.
std::optional<std::vector<BYTE>> sidOfAccountName(const wchar_t* name) {
  std::vector<BYTE> sid(kSidBufferBytes);
  std::vector<wchar_t> domain(kNameUnits);
  DWORD sidBytes = kSidBufferBytes;
  DWORD domainUnits = kNameUnits;
  SID_NAME_USE use;
  if (!LookupAccountNameW(nullptr, name, sid.data(), &sidBytes, domain.data(), &domainUnits, &use)) return std::nullopt;
  return sid;
}

struct Account {
  std::wstring name;
  std::wstring domain;
};

// The account of a SID on the local computer; nothing with the reason in error.
std::optional<Account> accountOfSid(PSID sid, DWORD& error) {
  std::vector<wchar_t> name(kNameUnits);
  std::vector<wchar_t> domain(kNameUnits);
  DWORD nameUnits = kNameUnits;
  DWORD domainUnits = kNameUnits;
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, sid, name.data(), &nameUnits, domain.data(), &domainUnits, &use)) {
    error = GetLastError();
    return std::nullopt;
  }
  return Account{name.data(), domain.data()};
}

// The SID text as a Win32 call sees it: up to its first NUL.
std::wstring callText(const std::optional<std::wstring>& text) { return text ? text->c_str() : L""; }

bool isEnabledMemberOfBuiltinGroup(jint relativeId) {
  std::optional<TokenFunctions> functions = tokenFunctions();
  if (!functions) return true;
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID built = nullptr;
  if (!functions->allocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, static_cast<DWORD>(relativeId),
                                           0, 0, 0, 0, 0, 0, &built))
    return true;
  AllocatedSid group(built);
  KernelHandle token = openCurrentToken(*functions);
  if (!token.valid()) return true;
  std::optional<DWORD> size = tokenInformationSize(*functions, token.get(), TokenGroups);
  if (!size) return true;
  std::optional<std::vector<BYTE>> data = readTokenInformation(*functions, token.get(), TokenGroups, *size);
  if (!data) return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(data->data());
  for (DWORD index = 0; index < groups->GroupCount; ++index)
    if (functions->equalSid(groups->Groups[index].Sid, group.get()) &&
        isEnabledGroupMembership(groups->Groups[index].Attributes))
      return true;
  return false;
}

std::optional<std::wstring> currentUserSidText() {
  std::optional<TokenFunctions> functions = tokenFunctions();
  auto convert = advapiFunction<ConvertSidToStringSidFunction>("ConvertSidToStringSidW");
  if (!functions || !convert) return std::nullopt;
  KernelHandle token = openCurrentToken(*functions);
  if (!token.valid()) return std::nullopt;
  std::optional<DWORD> size = tokenInformationSize(*functions, token.get(), TokenUser);
  std::optional<std::vector<BYTE>> data =
      size ? readTokenInformation(*functions, token.get(), TokenUser, *size) : std::nullopt;
  if (!data) return std::nullopt;
  return sidText(convert, reinterpret_cast<const TOKEN_USER*>(data->data())->User.Sid);
}

jint processElevationType() {
  std::optional<TokenFunctions> functions = tokenFunctions();
  HANDLE opened = nullptr;
  if (!functions || !functions->openProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return 0;
  KernelHandle token(opened);
  DWORD type = 0;
  DWORD size = 0;
  if (!functions->getTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size)) return 0;
  return static_cast<jint>(type);
}

// NetUserDel or NetLocalGroupDel; -1 when it is missing.
jint deleteAccount(JNIEnv* env, const char* functionName, jstring server, jstring name) {
  NetAccountDeleteFunction deleteFunction = nullptr;
  if (!lookUp(netapiModule(), functionName, deleteFunction)) return -1;
  std::optional<std::wstring> accountName = javaStringToWide(env, name);
  if (!accountName) return ERROR_INVALID_PARAMETER; // no account to delete; the functions need one
  return static_cast<jint>(deleteFunction(wideOrNull(javaStringToWide(env, server)), accountName->c_str()));
}

struct AccountFunctions {
  ConvertSidToStringSidFunction convertSidToStringSid = nullptr;
  decltype(&NetLocalGroupAdd) localGroupAdd = nullptr;
  decltype(&NetLocalGroupGetInfo) localGroupGetInfo = nullptr;
  NetApiBufferFreeFunction bufferFree = nullptr;
  decltype(&NetUserAdd) userAdd = nullptr;
  decltype(&NetUserGetInfo) userGetInfo = nullptr;
  decltype(&NetLocalGroupAddMembers) localGroupAddMembers = nullptr;
};

// What the user creation calls, all of it, or nothing.
std::optional<AccountFunctions> accountFunctions() {
  HMODULE netapi = netapiModule();
  AccountFunctions functions;
  functions.convertSidToStringSid = advapiFunction<ConvertSidToStringSidFunction>("ConvertSidToStringSidW");
  if (functions.convertSidToStringSid && lookUp(netapi, "NetLocalGroupAdd", functions.localGroupAdd) &&
      lookUp(netapi, "NetLocalGroupGetInfo", functions.localGroupGetInfo) &&
      lookUp(netapi, "NetApiBufferFree", functions.bufferFree) && lookUp(netapi, "NetUserAdd", functions.userAdd) &&
      lookUp(netapi, "NetUserGetInfo", functions.userGetInfo) &&
      lookUp(netapi, "NetLocalGroupAddMembers", functions.localGroupAddMembers))
    return functions;
  return std::nullopt;
}

struct NewUser {
  std::wstring name;
  std::optional<std::wstring> password;
  std::optional<std::wstring> comment;
  std::optional<std::wstring> group;
  std::optional<std::wstring> groupComment;
  bool createGroup = false;
  bool failIfGroupExists = false;
};

// Creates the group, or checks that it exists; nothing when the user may be created, else
// the failure text.
std::optional<std::wstring> prepareGroup(const AccountFunctions& functions, const NewUser& user, bool& created) {
  if (user.createGroup) {
    LOCALGROUP_INFO_1 group{const_cast<wchar_t*>(user.group->c_str()),
                            const_cast<wchar_t*>(wideOrNull(user.groupComment))};
    DWORD parameterIndex = 0;
    NET_API_STATUS status =
        functions.localGroupAdd(nullptr, kGroupInfoLevel, reinterpret_cast<BYTE*>(&group), &parameterIndex);
    GroupCreation outcome = groupCreationOutcome(status, user.failIfGroupExists);
    if (outcome == GroupCreation::failed) return addUserFailureText(AddUserStep::createGroup, {status});
    created = outcome == GroupCreation::created;
    return std::nullopt;
  }
  BYTE* information = nullptr;
  NET_API_STATUS status = functions.localGroupGetInfo(nullptr, user.group->c_str(), kGroupInfoLevel, &information);
  NetBuffer owner(information, functions.bufferFree);
  if (status != NERR_Success) return addUserFailureText(AddUserStep::findGroup, {status});
  return std::nullopt;
}

// The user is created with normal user rights and a logon script flag, put into the group
// (created first when asked), and described by its SID text, or by the failed step.
std::wstring addLocalUser(const AccountFunctions& functions, const NewUser& user) {
  bool groupCreated = false;
  if (user.group)
    if (std::optional<std::wstring> failure = prepareGroup(functions, user, groupCreated)) return *failure;

  USER_INFO_1 account{};
  account.usri1_name = const_cast<wchar_t*>(user.name.c_str());
  // No password is passed as the empty one: not every implementation accepts a null one.
  account.usri1_password = const_cast<wchar_t*>(user.password ? user.password->c_str() : L"");
  account.usri1_priv = USER_PRIV_USER;
  account.usri1_comment = const_cast<wchar_t*>(wideOrNull(user.comment));
  account.usri1_flags = UF_SCRIPT;
  DWORD parameterIndex = 0;
  NET_API_STATUS status =
      functions.userAdd(nullptr, kUserInfoLevel, reinterpret_cast<BYTE*>(&account), &parameterIndex);
  if (status != NERR_Success) return addUserFailureText(AddUserStep::addUser, {status, parameterIndex});

  BYTE* information = nullptr;
  status = functions.userGetInfo(nullptr, user.name.c_str(), kUserSidInfoLevel, &information);
  NetBuffer owner(information, functions.bufferFree);
  if (status != NERR_Success) return addUserFailureText(AddUserStep::readUser, {status});
  PSID userSid = reinterpret_cast<const USER_INFO_23*>(information)->usri23_user_sid;

  if (user.group) {
    LOCALGROUP_MEMBERS_INFO_0 member{userSid};
    status = functions.localGroupAddMembers(nullptr, user.group->c_str(), kGroupMemberInfoLevel,
                                            reinterpret_cast<BYTE*>(&member), 1);
    if (!isGroupMember(status)) return addUserFailureText(AddUserStep::addMember, {status});
  }

  std::optional<std::wstring> userSidText = sidText(functions.convertSidToStringSid, userSid);
  if (!userSidText) return addUserFailureText(AddUserStep::userSidText, {});
  std::optional<std::wstring> groupSidText;
  if (user.group)
    if (std::optional<std::vector<BYTE>> groupSid = sidOfAccountName(user.group->c_str()))
      groupSidText = sidText(functions.convertSidToStringSid, groupSid->data());
  return addUserSuccessText(*userSidText, groupSidText, groupCreated);
}

std::wstring accountNameOfSid(const std::optional<std::wstring>& sidTextArgument, bool nameOnly) {
  std::wstring text = callText(sidTextArgument);
  if (std::optional<std::wstring> serviceName = serviceAccountName(text)) return *serviceName;
  auto convert = advapiFunction<ConvertStringSidToSidFunction>("ConvertStringSidToSidW");
  if (!convert) return L"";
  DWORD error = 0;
  LocalMemory sid = sidOfText(convert, sidTextArgument, error);
  if (!sid.valid()) return accountFailureText(error);
  std::optional<Account> account = accountOfSid(sid.get(), error);
  if (!account) return accountFailureText(error);
  return accountNameText(text, account->name, account->domain, nameOnly);
}

// The profile directory of the SID's account, found through a network logon with the
// password; a failure text beginning with a space otherwise.
std::wstring profileDirectoryOfSid(const std::optional<std::wstring>& sidTextArgument,
                                   const std::optional<std::wstring>& password) {
  Library userenv(LoadLibraryW(L"Userenv.dll"));
  HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
  if (!userenv.valid() || !advapi) return profileFailureText(ProfileFailure::loadLibrary, GetLastError());
  std::wstring text = callText(sidTextArgument);
  if (serviceAccountName(text)) return kNoUserAccountText;
  ConvertStringSidToSidFunction convert = nullptr;
  LogonUserFunction logon = nullptr;
  GetUserProfileDirectoryFunction profileDirectory = nullptr;
  if (!lookUp(advapi, "ConvertStringSidToSidW", convert) || !lookUp(advapi, "LogonUserW", logon) ||
      !lookUp(userenv.get(), "GetUserProfileDirectoryW", profileDirectory))
    return profileFailureText(ProfileFailure::getFunctions, GetLastError());
  DWORD error = 0;
  LocalMemory sid = sidOfText(convert, sidTextArgument, error);
  if (!sid.valid()) return profileFailureText(ProfileFailure::convertSid, error);
  std::optional<Account> account = accountOfSid(sid.get(), error);
  if (!account) return profileFailureText(ProfileFailure::lookUpAccount, error);
  HANDLE opened = nullptr;
  if (!logon(account->name.c_str(), logonDomain(text, account->domain).c_str(), wideOrNull(password),
             LOGON32_LOGON_NETWORK, LOGON32_PROVIDER_DEFAULT, &opened))
    return profileFailureText(ProfileFailure::getToken, GetLastError());
  KernelHandle token(opened);
  std::vector<wchar_t> directory(kProfileDirectoryUnits);
  DWORD directoryUnits = kProfileDirectoryUnits;
  if (!profileDirectory(token.get(), directory.data(), &directoryUnits))
    return profileFailureText(ProfileFailure::getProfileDirectory, GetLastError());
  return directory.data();
}

struct RightsFunctions {
  decltype(&LsaOpenPolicy) openPolicy = nullptr;
  decltype(&LsaAddAccountRights) addRights = nullptr;
  decltype(&LsaRemoveAccountRights) removeRights = nullptr;
  decltype(&LsaClose) close = nullptr;
};

std::optional<RightsFunctions> rightsFunctions() {
  HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
  RightsFunctions functions;
  if (lookUp(advapi, "LsaOpenPolicy", functions.openPolicy) &&
      lookUp(advapi, "LsaAddAccountRights", functions.addRights) &&
      lookUp(advapi, "LsaRemoveAccountRights", functions.removeRights) && lookUp(advapi, "LsaClose", functions.close))
    return functions;
  return std::nullopt;
}

// The SID of an account given as SID text or, when it is none, as a name.
std::optional<std::vector<BYTE>> sidOfAccount(const std::wstring& account) {
  auto convert = advapiFunction<ConvertStringSidToSidFunction>("ConvertStringSidToSidW");
  if (!convert) return std::nullopt;
  PSID converted = nullptr;
  if (!convert(account.c_str(), &converted)) return sidOfAccountName(account.c_str());
  LocalMemory owner(converted);
  const BYTE* bytes = static_cast<const BYTE*>(converted);
  return std::vector<BYTE>(bytes, bytes + GetLengthSid(converted));
}

// Grants or removes one right of the account; without a right, removal takes every right
// and the account's entry in the policy.
bool setAccountRight(const std::optional<std::wstring>& account, const std::optional<std::wstring>& right, bool add) {
  std::optional<RightsFunctions> functions = rightsFunctions();
  if (!functions || !account) return false;
  std::optional<std::vector<BYTE>> sid = sidOfAccount(*account);
  if (!sid) return false;
  std::wstring rightName = callText(right);
  // A counted string holds at most 32,767 units; no right name comes close.
  if (rightName.size() > 0x7FFF) return false;
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_HANDLE policy = nullptr;
  if (functions->openPolicy(nullptr, &attributes, kPolicyAccess, &policy) != 0) return false;
  auto bytes = static_cast<USHORT>(rightName.size() * sizeof(wchar_t));
  LSA_UNICODE_STRING counted{bytes, bytes, rightName.data()};
  NTSTATUS status = add ? functions->addRights(policy, sid->data(), &counted, 1)
                        : functions->removeRights(policy, sid->data(), !right, &counted, 1);
  functions->close(policy);
  return status == 0;
}

} // namespace

} // namespace lnx

// Exported only under their decorated names (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_isMemberOfGroup0(
    JNIEnv*, jclass, jint groupRelativeId) try {
  return lnx::isEnabledMemberOfBuiltinGroup(groupRelativeId);
} LNX_NATIVE_FAILS_WITH(true)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_isMemberOfGroup0, 12);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_executeElevated0(
    JNIEnv* env, jclass, jstring file, jstring parameters, jstring directory, jint showCommand) try {
  // Loaded once before the first elevated start; nothing else needs its handle.
  static const bool securitySupportLoaded = LoadLibraryW(L"sspicli.dll") != nullptr;
  static_cast<void>(securitySupportLoaded);
  if (!lnx::loadShellFunctions()) return false;
  void* started =
      lnx::shellFunctions().shellExecute(nullptr, L"runas", lnx::wideOrNull(lnx::javaStringToWide(env, file)),
                                         lnx::wideOrNull(lnx::javaStringToWide(env, parameters)),
                                         lnx::wideOrNull(lnx::javaStringToWide(env, directory)), showCommand);
  return reinterpret_cast<INT_PTR>(started) > 32;
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_executeElevated0, 24);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_getElevationType0(JNIEnv*, jclass) try {
  return lnx::processElevationType();
} LNX_NATIVE_FAILS_WITH(0)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_getElevationType0, 8);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_addUser0(
    JNIEnv* env, jclass, jstring userName, jstring password, jstring comment, jstring groupName, jstring groupComment,
    jboolean createGroup, jboolean failIfGroupExists) try {
  std::optional<lnx::AccountFunctions> functions = lnx::accountFunctions();
  std::optional<std::wstring> name = lnx::javaStringToWide(env, userName);
  if (!functions || !name) return nullptr;
  lnx::NewUser user{*name,
                    lnx::javaStringToWide(env, password),
                    lnx::javaStringToWide(env, comment),
                    lnx::javaStringToWide(env, groupName),
                    lnx::javaStringToWide(env, groupComment),
                    createGroup != JNI_FALSE,
                    failIfGroupExists != JNI_FALSE};
  std::wstring result = lnx::addLocalUser(*functions, user);
  return result.empty() ? nullptr : lnx::newJavaString(env, result);
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_addUser0, 36);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_deleteUser0(JNIEnv* env, jclass,
                                                                                           jstring serverName,
                                                                                           jstring userName) try {
  return lnx::deleteAccount(env, "NetUserDel", serverName, userName);
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_deleteUser0, 16);

jint JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_deleteLocalGroup0(JNIEnv* env, jclass,
                                                                                                 jstring serverName,
                                                                                                 jstring groupName) try {
  return lnx::deleteAccount(env, "NetLocalGroupDel", serverName, groupName);
} LNX_NATIVE_FAILS_WITH(ERROR_NOT_ENOUGH_MEMORY)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_deleteLocalGroup0, 16);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_getAccountName0(JNIEnv* env, jclass,
                                                                                                  jstring sid,
                                                                                                  jboolean nameOnly) try {
  return lnx::newJavaString(env, lnx::accountNameOfSid(lnx::javaStringToWide(env, sid), nameOnly != JNI_FALSE));
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_getAccountName0, 16);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_getUserProfileDirectory0(
    JNIEnv* env, jclass, jstring sid, jstring password) try {
  return lnx::newJavaString(
      env, lnx::profileDirectoryOfSid(lnx::javaStringToWide(env, sid), lnx::javaStringToWide(env, password)));
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_getUserProfileDirectory0, 16);

jstring JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_getUserSid0(JNIEnv* env, jclass) try {
  std::optional<std::wstring> sid = lnx::currentUserSidText();
  return sid ? lnx::newJavaString(env, *sid) : nullptr;
} LNX_NATIVE_FAILS_WITH(nullptr)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_getUserSid0, 8);

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_setLsaAccountRight0(
    JNIEnv* env, jclass, jstring account, jstring rightName, jboolean add) try {
  return lnx::setAccountRight(lnx::javaStringToWide(env, account), lnx::javaStringToWide(env, rightName),
                              add != JNI_FALSE);
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_Win32UserInfo_setLsaAccountRight0, 20);

} // extern "C"
