#include "natives/user_info_rules.h"

#include "text/format_text.h"

namespace lnx {

namespace {

constexpr wchar_t kBuiltinGroupPrefix[] = L"S-1-5-32-";
constexpr uint32_t kGroupEnabled = 0x4;         // SE_GROUP_ENABLED
constexpr uint32_t kGroupUseForDenyOnly = 0x10; // SE_GROUP_USE_FOR_DENY_ONLY
constexpr uint32_t kAliasExists = 1379;         // ERROR_ALIAS_EXISTS
constexpr uint32_t kGroupExists = 2223;         // NERR_GroupExists
constexpr uint32_t kMemberInAlias = 1378;       // ERROR_MEMBER_IN_ALIAS

} // namespace

std::optional<std::wstring> serviceAccountName(const std::wstring& sidText) {
  if (sidText == L"S-1-5-18") return L"NT AUTHORITY\\System";
  if (sidText == L"S-1-5-19") return L"NT AUTHORITY\\LocalService";
  if (sidText == L"S-1-5-20") return L"NT AUTHORITY\\NetworkService";
  return std::nullopt;
}

bool isBuiltinGroupSid(const std::wstring& sidText) { return sidText.rfind(kBuiltinGroupPrefix, 0) == 0; }

bool isEnabledGroupMembership(uint32_t attributes) {
  return (attributes & (kGroupEnabled | kGroupUseForDenyOnly)) == kGroupEnabled;
}

std::wstring accountNameText(const std::wstring& sidText, const std::wstring& name, const std::wstring& domain,
                             bool nameOnly) {
  if (nameOnly) return name;
  return logonDomain(sidText, domain) + L"\\" + name;
}

std::wstring accountFailureText(uint32_t error) { return formatText(L" %d", {static_cast<int32_t>(error)}); }

std::wstring logonDomain(const std::wstring& sidText, const std::wstring& domain) {
  return isBuiltinGroupSid(sidText) || domain.empty() ? L"." : domain;
}

std::wstring profileFailureText(ProfileFailure failure, uint32_t error) {
  const wchar_t* format = L"";
  switch (failure) {
  case ProfileFailure::loadLibrary:
    format = L" could not load library %d";
    break;
  case ProfileFailure::getFunctions:
    format = L" could not get functions %d";
    break;
  case ProfileFailure::convertSid:
    format = L" could not convert sid %d";
    break;
  case ProfileFailure::lookUpAccount:
    format = L" could not look up account name %d";
    break;
  case ProfileFailure::getToken:
    format = L" could not get token %d";
    break;
  case ProfileFailure::getProfileDirectory:
    format = L" could not get user profile dir %d";
    break;
  }
  return formatText(format, {static_cast<int32_t>(error)});
}

std::wstring addUserFailureText(AddUserStep step, std::initializer_list<uint32_t> numbers) {
  std::wstring text = formatText(L"%d", {static_cast<int>(step)});
  for (uint32_t number : numbers)
    text += formatText(L" %d", {static_cast<int32_t>(number)});
  return text;
}

std::wstring addUserSuccessText(const std::wstring& userSid, const std::optional<std::wstring>& groupSid,
                                bool groupCreated) {
  if (!groupSid) return userSid;
  return userSid + L" " + *groupSid + (groupCreated ? L" true" : L" false");
}

GroupCreation groupCreationOutcome(uint32_t status, bool failIfExists) {
  if (status == 0) return GroupCreation::created;
  if ((status == kAliasExists || status == kGroupExists) && !failIfExists) return GroupCreation::existing;
  return GroupCreation::failed;
}

bool isGroupMember(uint32_t status) { return status == 0 || status == kMemberInAlias; }

} // namespace lnx
