#include "fs/temp_base_search.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace lnx {
namespace {

class FakeSystem : public TempBaseSystem<std::string> {
public:
  std::optional<std::string> temp = std::string("C:\\users\\u\\Temp\\");
  std::map<std::string, std::string> env = {{"USERPROFILE", "C:\\users\\u"}, {"HOMEDRIVE", "C:"}, {"HOMEPATH", "\\users\\u"}};
  std::set<std::string> usable;               // usable with any name
  std::set<std::string> usableWhenNotStrict;  // usable only without the representable-name check
  std::vector<std::string> tried;

  std::optional<std::string> systemTempPath() override { return temp; }
  std::optional<std::string> environment(const char* name) override {
    auto it = env.find(name);
    return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::optional<std::string> windowsDirectory() override { return std::string("C:\\windows"); }
  bool probe(const std::string& path, bool createFirst, bool representable) override {
    tried.push_back(path + (createFirst ? " +create" : "") + (representable ? " +repr" : ""));
    return usable.count(path) || (!representable && usableWhenNotStrict.count(path));
  }
};

TEST(TempBaseSearch, CandidateOrderOfBothPasses) {
  FakeSystem system;
  bool fallback = false;
  EXPECT_EQ("", searchTempBase(system, fallback));
  EXPECT_TRUE(fallback);
  EXPECT_EQ((std::vector<std::string>{
                "C:\\users\\u\\Temp\\ +create +repr", "C:\\users\\u\\AppData\\Local\\Temp +repr",
                "C:\\users\\u +repr", "C:\\windows\\temp", "c:\\temp", "c:\\tmp", "C:\\windows",
                "c:\\tmp +create", "C:\\users\\u\\Temp\\ +create", "C:\\users\\u\\AppData\\Local\\Temp",
                "C:\\users\\u"}),
            system.tried);
}

TEST(TempBaseSearch, FirstUsableWinsWithoutFallback) {
  FakeSystem system;
  system.usable = {"C:\\users\\u\\Temp\\", "c:\\temp"};
  bool fallback = false;
  EXPECT_EQ("C:\\users\\u\\Temp\\", searchTempBase(system, fallback));
  EXPECT_FALSE(fallback);
  EXPECT_EQ(1u, system.tried.size());
}

TEST(TempBaseSearch, UnrepresentableTempIsTakenOnlyInSecondPass) {
  FakeSystem system;
  system.env.clear();
  system.usableWhenNotStrict = {"C:\\users\\u\\Temp\\"};
  bool fallback = false;
  EXPECT_EQ("C:\\users\\u\\Temp\\", searchTempBase(system, fallback));
  EXPECT_TRUE(fallback);
  // Without USERPROFILE and HOMEDRIVE those candidates are skipped entirely.
  EXPECT_EQ(7u, system.tried.size());
}

TEST(TempBaseSearch, HomeDriveWithoutHomePathIsTriedAlone) {
  FakeSystem system;
  system.env = {{"HOMEDRIVE", "D:"}};
  system.usable = {"D:"};
  bool fallback = false;
  EXPECT_EQ("D:", searchTempBase(system, fallback));
}

} // namespace
} // namespace lnx
