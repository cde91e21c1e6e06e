#include "natives/user_info_rules.h"

#include <gtest/gtest.h>

namespace lnx {
namespace {

TEST(UserInfoRules, OnlyTheExactServiceSidsHaveFixedNames) {
  EXPECT_EQ(L"NT AUTHORITY\\System", serviceAccountName(L"S-1-5-18"));
  EXPECT_EQ(L"NT AUTHORITY\\LocalService", serviceAccountName(L"S-1-5-19"));
  EXPECT_EQ(L"NT AUTHORITY\\NetworkService", serviceAccountName(L"S-1-5-20"));
  for (const wchar_t* other : {L"S-1-5-180", L"S-1-5-2", L"s-1-5-18", L" S-1-5-18", L"S-1-5-18 ", L""})
    EXPECT_FALSE(serviceAccountName(other)) << other;
}

TEST(UserInfoRules, BuiltinGroupsAndAccountsWithoutDomainAreLocal) {
  EXPECT_EQ(L".\\Administrators", accountNameText(L"S-1-5-32-544", L"Administrators", L"BUILTIN", false));
  EXPECT_EQ(L"CORP\\setup", accountNameText(L"S-1-5-21-1-2-3-1001", L"setup", L"CORP", false));
  EXPECT_EQ(L"setup", accountNameText(L"S-1-5-21-1-2-3-1001", L"setup", L"CORP", true));
  EXPECT_EQ(L".\\Everyone", accountNameText(L"S-1-1-0", L"Everyone", L"", false));
  EXPECT_EQ(L"BUILTIN\\BUILTIN", accountNameText(L"S-1-5-32", L"BUILTIN", L"BUILTIN", false))
      << "the built-in domain itself has no relative id after the prefix";

  EXPECT_EQ(L".", logonDomain(L"S-1-5-32-545", L"BUILTIN"));
  EXPECT_EQ(L".", logonDomain(L"S-1-5-21-1-2-3-1001", L""));
  EXPECT_EQ(L"CORP", logonDomain(L"S-1-5-21-1-2-3-1001", L"CORP"));
}

TEST(UserInfoRules, FailureTextsBeginWithASpaceOrTheStep) {
  EXPECT_EQ(L" 1332", accountFailureText(1332));
  EXPECT_EQ(L" no user account", std::wstring(kNoUserAccountText));
  EXPECT_EQ(L" could not load library 126", profileFailureText(ProfileFailure::loadLibrary, 126));
  EXPECT_EQ(L" could not get functions 127", profileFailureText(ProfileFailure::getFunctions, 127));
  EXPECT_EQ(L" could not convert sid 1337", profileFailureText(ProfileFailure::convertSid, 1337));
  EXPECT_EQ(L" could not look up account name 1332", profileFailureText(ProfileFailure::lookUpAccount, 1332));
  EXPECT_EQ(L" could not get token 1326", profileFailureText(ProfileFailure::getToken, 1326));
  EXPECT_EQ(L" could not get user profile dir 6", profileFailureText(ProfileFailure::getProfileDirectory, 6));

  EXPECT_EQ(L"1 2223", addUserFailureText(AddUserStep::createGroup, {2223}));
  EXPECT_EQ(L"2 2224 0", addUserFailureText(AddUserStep::addUser, {2224, 0}));
  EXPECT_EQ(L"3 2140", addUserFailureText(AddUserStep::readUser, {2140}));
  EXPECT_EQ(L"4 1387", addUserFailureText(AddUserStep::addMember, {1387}));
  EXPECT_EQ(L"5", addUserFailureText(AddUserStep::userSidText, {}));
  EXPECT_EQ(L"6 2220", addUserFailureText(AddUserStep::findGroup, {2220}));
  EXPECT_EQ(L"2 -1 7", addUserFailureText(AddUserStep::addUser, {0xFFFFFFFF, 7})) << "statuses print signed";
}

TEST(UserInfoRules, SuccessNamesTheGroupOnlyWhenItsSidIsKnown) {
  EXPECT_EQ(L"S-1-5-21-1-2-3-1001", addUserSuccessText(L"S-1-5-21-1-2-3-1001", std::nullopt, true));
  EXPECT_EQ(L"S-1-5-21-1-2-3-1001 S-1-5-21-1-2-3-1002 true",
            addUserSuccessText(L"S-1-5-21-1-2-3-1001", L"S-1-5-21-1-2-3-1002", true));
  EXPECT_EQ(L"S-1-5-21-1-2-3-1001 S-1-5-32-545 false",
            addUserSuccessText(L"S-1-5-21-1-2-3-1001", L"S-1-5-32-545", false));
}

TEST(UserInfoRules, AnExistingGroupIsUsedUnlessThatIsRefused) {
  EXPECT_EQ(GroupCreation::created, groupCreationOutcome(0, true));
  for (uint32_t exists : {1379u, 2223u}) {
    EXPECT_EQ(GroupCreation::existing, groupCreationOutcome(exists, false)) << exists;
    EXPECT_EQ(GroupCreation::failed, groupCreationOutcome(exists, true)) << exists;
  }
  for (uint32_t other : {5u, 1378u, 2224u, 2220u})
    EXPECT_EQ(GroupCreation::failed, groupCreationOutcome(other, false)) << other;

  EXPECT_TRUE(isGroupMember(0));
  EXPECT_TRUE(isGroupMember(1378)) << "already a member";
  EXPECT_FALSE(isGroupMember(1379));
  EXPECT_FALSE(isGroupMember(1387));
}

} // namespace
} // namespace lnx
