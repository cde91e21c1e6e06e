// lnxpack never writes over its inputs and streams what it includes.
#include <gtest/gtest.h>

#include <zlib.h>

#include "lnxpack_fixture.h"

namespace lnx::pack {
namespace {

using test::Bytes;
using test::Json;
using LnxpackSafety = test::LnxpackDir;
namespace fs = std::filesystem;

const char* kProject = R"({ "stub": "stub.exe", "files": [ { "name": "a.txt", "source": "src/a.txt" } ],
                            "javaData": "src/java.bin", "runtime": { "directory": "jre" } })";

TEST_F(LnxpackSafety, RefusesAnOutputThatIsAnInput) {
  fs::create_directories(at("jre/bin"));
  writeText("jre/bin/java.exe", "java");
  writeText("project.json", kProject);
  fs::create_hard_link(at("src/a.txt"), at("hardlink.txt"));
  std::vector<std::pair<std::string, std::string>> cases = {
      {at("stub.exe").string(), "is the stub"},
      {(dir_ / "src/../stub.exe").string(), "is the stub"},
      {at("project.json").string(), "is the project file"},
      {at("hardlink.txt").string(), "is the source of files[0] \"a.txt\""},
      {at("src/java.bin").string(), "is the javaData file"},
      {at("jre/bin/setup.exe").string(), "lies inside the runtime directory"},
  };
#ifndef _WIN32 // a symbolic link needs a privilege on Windows
  fs::create_symlink(at("stub.exe"), at("symlink.exe"));
  cases.push_back({at("symlink.exe").string(), "is the stub"});
#endif
  for (const auto& [output, problem] : cases) {
    Bytes stubBefore = read("stub.exe"), sourceBefore = read("src/a.txt");
    EXPECT_EQ(run({"build", at("project.json").string(), "-o", output}), 2) << output;
    EXPECT_NE(err_.str().find(problem), std::string::npos) << err_.str();
    EXPECT_NE(err_.str().find("choose another -o"), std::string::npos) << err_.str();
    EXPECT_EQ(read("stub.exe"), stubBefore);
    EXPECT_EQ(read("src/a.txt"), sourceBefore);
  }
  EXPECT_FALSE(fs::exists(at("jre/bin/setup.exe")));
  EXPECT_EQ(run({"build", at("project.json").string(), "-o", at("setup.exe").string()}), 0) << err_.str();
}

TEST_F(LnxpackSafety, RefusesABuiltSetupFileAsStub) {
  writeText("project.json", R"({ "stub": "stub.exe" })");
  ASSERT_EQ(run({"build", at("project.json").string(), "-o", at("built.exe").string()}), 0) << err_.str();
  EXPECT_EQ(run({"build", at("project.json").string(), "--stub", at("built.exe").string(), "-o",
                 at("setup.exe").string()}),
            2);
  EXPECT_NE(err_.str().find("built.exe already carries a payload: it is a built setup file, not the launcher stub"),
            std::string::npos)
      << err_.str();
  EXPECT_TRUE(onlyInputsLeft());
}

// Files far larger than the copy buffer arrive whole, masked, and under the right CRC-32.
TEST_F(LnxpackSafety, StreamsLargeFilesWithTheirChecksum) {
  Bytes large(3 * 256 * 1024 + 17);
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<uint8_t>(i * 7 + i / 256);
  write("src/large.bin", large);
  write("src/java.bin", large);
  ASSERT_EQ(build(R"({ "stub": "stub.exe", "files": [ { "name": "large.bin", "source": "src/large.bin" } ],
                       "javaData": "src/java.bin" })"),
            0)
      << err_.str();
  Json report = inspect();
  EXPECT_EQ(report["checksumVerdict"], "ok");
  Bytes setup = read("setup.exe");
  uint32_t start = report["payloadStart"];
  EXPECT_EQ(report["checksum"], crc32(0, setup.data() + start + 20, static_cast<uInt>(setup.size() - start - 20)));
  uint64_t offset = report["files"][0]["dataOffset"];
  ASSERT_EQ(report["files"][0]["size"], large.size());
  for (size_t i = 0; i < large.size(); ++i) ASSERT_EQ(setup[offset + i] ^ 0xA7, large[i]) << "byte " << i;
  EXPECT_EQ(Bytes(setup.end() - static_cast<std::ptrdiff_t>(large.size()), setup.end()), large);
}

} // namespace
} // namespace lnx::pack
