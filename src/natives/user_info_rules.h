#pragma once
// What the user account natives decide without Win32: the well-known service accounts,
// how an account name is written, which token groups count, and the fixed texts in which
// the Java side receives results and failures (a failure text of the profile look-up
// begins with a space; one of the user creation begins with its step number).
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace lnx {

// "NT AUTHORITY\System", "NT AUTHORITY\LocalService" and "NT AUTHORITY\NetworkService" for
// exactly "S-1-5-18", "S-1-5-19" and "S-1-5-20"; nothing for any other text.
std::optional<std::wstring> serviceAccountName(const std::wstring& sidText);

// The SID text denotes a built-in local group ("S-1-5-32-" and its relative id).
bool isBuiltinGroupSid(const std::wstring& sidText);

// A group of a token counts when it is enabled and not for deny only.
bool isEnabledGroupMembership(uint32_t attributes);

// The account name of a looked-up SID: the bare name when nameOnly; ".\name" for a
// built-in group or an account without domain; "domain\name" otherwise.
std::wstring accountNameText(const std::wstring& sidText, const std::wstring& name, const std::wstring& domain,
                             bool nameOnly);

// A SID that could not be converted or looked up: a space and the error code.
std::wstring accountFailureText(uint32_t error);

// The domain of a logon with a looked-up account: "." for a built-in group or an empty
// domain.
std::wstring logonDomain(const std::wstring& sidText, const std::wstring& domain);

// The profile directory of a service account is not asked for.
inline constexpr wchar_t kNoUserAccountText[] = L" no user account";

enum class ProfileFailure { loadLibrary, getFunctions, convertSid, lookUpAccount, getToken, getProfileDirectory };

// " could not ... <error>" for the step of the profile look-up that failed.
std::wstring profileFailureText(ProfileFailure failure, uint32_t error);

// The steps of the user creation, numbered as its failure texts name them.
enum class AddUserStep { createGroup = 1, addUser = 2, readUser = 3, addMember = 4, userSidText = 5, findGroup = 6 };

// The step number followed by the numbers (statuses, a parameter index), each after a
// single space, in decimal.
std::wstring addUserFailureText(AddUserStep step, std::initializer_list<uint32_t> numbers);

// The user's SID text; with a group SID text also that and "true" or "false" for whether
// the group was created.
std::wstring addUserSuccessText(const std::wstring& userSid, const std::optional<std::wstring>& groupSid,
                                bool groupCreated);

enum class GroupCreation { created, existing, failed };

// What a status of the group creation means: 0 created; the group exists already
// (1379, 2223) and may be used unless failIfExists; any other status failed.
GroupCreation groupCreationOutcome(uint32_t status, bool failIfExists);

// The user is in the group after adding it: 0, or 1378 when it was a member already.
bool isGroupMember(uint32_t status);

} // namespace lnx
