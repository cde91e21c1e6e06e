// The native of the Java class ACLHandling: grants generic rights on a file, directory or
// registry key to a principal by adding an inheritable entry to the object's access list.
// A failure is false, with one line on standard output when a security call failed.
#include <windows.h>

#include <aclapi.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "natives/acl_grant.h"
#include "natives/native_export.h"
#include "natives/native_helpers.h"
#include "text/codepage.h"
#include "win32/procedure.h"
#include "win32/unique_handle.h"

namespace lnx {

namespace {


// A SID in memory of its own, so that every way of making one ends in the same owner.
using Sid = std::vector<BYTE>;

constexpr DWORD kAccountSidBytes = 8192;
constexpr DWORD kDomainNameUnits = 6000;

Sid copiedSid(PSID sid) {
  Sid copy(GetLengthSid(sid));
  CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid);
  return copy;
}

std::optional<Sid> allocatedSid(const WellKnownSid& known) {
  SID_IDENTIFIER_AUTHORITY authority{{0, 0, 0, 0, 0, known.authority}};
  DWORD subAuthorities[8] = {};
  for (size_t index = 0; index < known.subAuthorities.size() && index < 8; ++index)
    subAuthorities[index] = known.subAuthorities[index];
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&authority, static_cast<BYTE>(known.subAuthorities.size()), subAuthorities[0],
                                subAuthorities[1], subAuthorities[2], subAuthorities[3], subAuthorities[4],
                                subAuthorities[5], subAuthorities[6], subAuthorities[7], &sid))
    return std::nullopt;
  std::unique_ptr<void, PVOID(WINAPI*)(PSID)> owned(sid, &FreeSid); // freed when the copy throws too
  return copiedSid(sid);
}

using ConvertStringSidToSidWFunction = BOOL(WINAPI*)(const wchar_t*, PSID*);

// The principal as a SID text, else as an account name on the local computer.
std::optional<Sid> namedSid(const std::wstring& principal) {
  auto convertStringSid = systemFunction<ConvertStringSidToSidWFunction>(L"advapi32.dll", "ConvertStringSidToSidW");
  if (!convertStringSid) return std::nullopt;
  PSID converted = nullptr;
  if (convertStringSid(principal.c_str(), &converted)) {
    LocalMemory owner(converted);
    return copiedSid(converted);
  }
  Sid account(kAccountSidBytes);
  DWORD accountBytes = kAccountSidBytes;
  std::wstring domain(kDomainNameUnits, L'\0');
  DWORD domainUnits = kDomainNameUnits;
  SID_NAME_USE use{};
  if (!LookupAccountNameW(nullptr, principal.c_str(), account.data(), &accountBytes, domain.data(), &domainUnits, &use))
    return std::nullopt;
  return account;
}

std::optional<Sid> principalSid(JNIEnv* env, jint principalType, jstring principal) {
  if (std::optional<WellKnownSid> known = wellKnownSid(principalType)) return allocatedSid(*known);
  // A missing principal names nobody.
  std::optional<std::wstring> name = javaStringToWide(env, principal);
  return name ? namedSid(*name) : std::nullopt;
}

// One diagnostic line on standard output: the failed call, its result and what it was for.
void printFailure(const char* call, DWORD result, const std::string& subject = "") {
  std::string line = std::string(call) + " Error " + std::to_string(result) + (subject.empty() ? "" : " ") + subject;
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// Adds the grant of rights to sid, inherited by subcontainers and objects, to the access
// list of the object; owner, group and system list stay as they are.
bool addGrant(std::wstring objectName, SE_OBJECT_TYPE objectType, DWORD rights, Sid& sid) {
  PACL currentList = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD result = GetNamedSecurityInfoW(objectName.c_str(), objectType, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                       &currentList, nullptr, &descriptor);
  LocalMemory descriptorOwner(descriptor);
  if (result != ERROR_SUCCESS) {
    std::string shownName;
    wideToNarrow(objectName.c_str(), shownName);
    printFailure("GetNamedSecurityInfo", result, shownName);
    return false;
  }
  EXPLICIT_ACCESSW entry{};
  entry.grfAccessPermissions = rights;
  entry.grfAccessMode = GRANT_ACCESS;
  entry.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
  entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  entry.Trustee.ptstrName = reinterpret_cast<LPWSTR>(sid.data());
  PACL newList = nullptr;
  result = SetEntriesInAclW(1, &entry, currentList, &newList);
  LocalMemory newListOwner(newList);
  if (result != ERROR_SUCCESS) {
    printFailure("SetEntriesInAcl", result);
    return false;
  }
  result = SetNamedSecurityInfoW(objectName.data(), objectType, DACL_SECURITY_INFORMATION, nullptr, nullptr, newList,
                                 nullptr);
  if (result != ERROR_SUCCESS) {
    printFailure("SetNamedSecurityInfo", result);
    return false;
  }
  return true;
}

} // namespace

} // namespace lnx

// Exported only under its decorated name (LNX_EXPORT_NATIVE), not by dllexport.
extern "C" {

jboolean JNICALL Java_com_lanternix_runtime_installer_platform_win32_ACLHandling_addACE(
    JNIEnv* env, jclass, jstring path, jboolean registryKey, jboolean read, jboolean write, jboolean execute,
    jboolean all, jint principalType, jstring principal) try {
  std::optional<lnx::Sid> sid = lnx::principalSid(env, principalType, principal);
  if (!sid) return false;
  std::optional<std::wstring> objectName = lnx::javaStringToWide(env, path);
  if (!objectName) return false; // ERROR_INVALID_PARAMETER: no object to change
  return lnx::addGrant(*objectName, registryKey ? SE_REGISTRY_KEY : SE_FILE_OBJECT,
                       lnx::grantedRights(read, write, execute, all), *sid);
} LNX_NATIVE_FAILS_WITH(false)
LNX_EXPORT_NATIVE(Java_com_lanternix_runtime_installer_platform_win32_ACLHandling_addACE, 40);

} // extern "C"
