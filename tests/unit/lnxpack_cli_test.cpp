// What lnxpack says about itself and about files that are no setup files.
#include <gtest/gtest.h>

#include "lnxpack_fixture.h"
#include "payload/catalogue.h"

namespace lnx::pack {
namespace {

using test::Json;
using LnxpackCli = test::LnxpackDir;

TEST_F(LnxpackCli, HelpForEachCommandAndVersion) {
  const std::vector<std::pair<std::string, std::string>> commands = {
      {"build", "Builds a setup file"}, {"inspect", "Reads a setup file back"}, {"names", "Lists every configuration"}};
  for (const auto& [command, says] : commands) {
    EXPECT_EQ(run({command, "--help"}), 0);
    EXPECT_EQ(out_.str().rfind("usage: lnxpack " + command, 0), 0u) << out_.str();
    EXPECT_NE(out_.str().find(says), std::string::npos) << out_.str();
  }
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_NE(out_.str().find("lnxpack names"), std::string::npos);
  EXPECT_EQ(run({"--version"}), 0);
  EXPECT_EQ(out_.str().rfind("lnxpack ", 0), 0u);
  EXPECT_EQ(run({"names", "extra"}), 2);
}

TEST_F(LnxpackCli, NamesListsTheWholeCatalogue) {
  ASSERT_EQ(run({"names"}), 0);
  std::istringstream lines(out_.str());
  std::string line;
  std::getline(lines, line); // the heading
  for (const ConfigInfo& info : configCatalogue()) {
    ASSERT_TRUE(std::getline(lines, line)) << "missing " << info.name;
    std::istringstream fields(line);
    std::string id, name, kind;
    fields >> id >> name >> kind;
    EXPECT_EQ(id, std::to_string(info.id));
    EXPECT_EQ(name, info.name);
    EXPECT_EQ(kind, configKindName(info.kind));
    EXPECT_NE(line.find(info.meaning), std::string::npos) << line;
  }
  EXPECT_FALSE(std::getline(lines, line)) << line;
  EXPECT_NE(out_.str().find("126    minJavaVersion"), std::string::npos);
}

TEST_F(LnxpackCli, InspectOfAFileWithoutPayload) {
  EXPECT_EQ(run({"inspect", at("stub.exe").string()}), 2);
  EXPECT_NE(err_.str().find("stub.exe: no payload: nothing follows the last PE section"), std::string::npos)
      << err_.str();
  EXPECT_EQ(err_.str().find("readInt"), std::string::npos);
}

// Every failure of inspect --json is one JSON object with an "error" key, and exit code 2.
TEST_F(LnxpackCli, InspectJsonErrorsAreJson) {
  writeText("text.exe", "not a PE image");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"inspect", "--json", at("stub.exe").string()}, "no payload"},
      {{"inspect", "--json", at("missing.exe").string()}, "cannot read"},
      {{"inspect", "--json", at("text.exe").string()}, "not a PE image"},
      {{"inspect", "--json", "--locale"}, "--locale needs a value"},
      {{"inspect", "--json", "a.exe", "b.exe"}, "takes exactly one file"},
  };
  for (const auto& [args, problem] : cases) {
    EXPECT_EQ(run(args), 2);
    Json report = Json::parse(out_.str()); // one object, nothing else
    ASSERT_TRUE(report.is_object());
    EXPECT_NE(report["error"].get<std::string>().find(problem), std::string::npos) << out_.str();
  }
}

} // namespace
} // namespace lnx::pack
