#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "lnxpack/runtime_archive.h"
#include "memory_tar_target.h"
#include "runtime/gzip_file.h"
#include "runtime/tar_reader.h"

namespace lnx {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

// What the builder packs is what the launcher's reader unpacks, long names included.
TEST(LnxpackRuntime, TheLaunchersReaderGetsBackEveryFileAndDirectory) {
  fs::path root = fs::path(::testing::TempDir()) / "lnxpack_runtime_test";
  fs::remove_all(root);
  std::string deep = std::string(120, 'd') + "/lib.jar";
  writeFile(root / "bin" / "server" / "jvm.dll", std::string(70000, 'j'));
  writeFile(root / "lib" / deep, "long");
  writeFile(root / "release", "JAVA_VERSION=\"1.8.0_201\"\n");
  fs::create_directories(root / "empty");

  pack::RuntimeArchive archive = pack::packRuntimeDirectory(root);
  fs::path gz = root.string() + ".tar.gz";
  std::ofstream(gz, std::ios::binary)
      .write(reinterpret_cast<const char*>(archive.gzip.data()), static_cast<std::streamsize>(archive.gzip.size()));
  test::MemoryTarTarget target;
  { // closed before the archive is removed, which Windows refuses while it is open
    GzipFile input(gz.string());
    ASSERT_TRUE(untarStream(input, target, static_cast<int64_t>(archive.tarSize)));
  }
  EXPECT_EQ(std::string(70000, 'j'), target.files["bin\\server\\jvm.dll"]);
  EXPECT_EQ("long", target.files["lib/" + deep]) << "a long name travels in a GNU long-name record";
  EXPECT_EQ(3u, target.files.size());
  EXPECT_EQ(
      (std::vector<std::string>{"bin\\", "bin\\server\\", "empty\\", "lib\\", "lib/" + std::string(120, 'd') + "/"}),
      target.directories);
  EXPECT_EQ(8u, archive.entries);
  EXPECT_EQ(archive.gzip, pack::packRuntimeDirectory(root).gzip) << "the same directory gives the same bytes";
  // Nothing of the packing system: no time or system byte in the gzip header, no execute
  // permission (Windows would report it for names ending in .exe).
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0, 0, 255}), std::vector<uint8_t>(&archive.gzip[4], &archive.gzip[10]));
  fs::permissions(root / "bin" / "server" / "jvm.dll", fs::perms::owner_exec, fs::perm_options::add);
  EXPECT_EQ(archive.gzip, pack::packRuntimeDirectory(root).gzip) << "execute permission changed the archive";
  fs::remove_all(root);
  fs::remove(gz);
}

TEST(LnxpackRuntime, TheCheckSaysWhatTheLauncherWouldMakeOfAnArchive) {
  fs::path root = fs::path(::testing::TempDir()) / "lnxpack_runtime_check";
  fs::remove_all(root);
  writeFile(root / "bin" / "java.exe", std::string(200000, 'x'));
  pack::RuntimeArchive archive = pack::packRuntimeDirectory(root);

  pack::RuntimeArchiveCheck whole = pack::checkRuntimeArchive(archive.gzip);
  EXPECT_TRUE(whole.extractsCleanly) << whole.problem;
  EXPECT_EQ(1u, whole.files);
  EXPECT_EQ(1u, whole.directories);

  std::vector<uint8_t> cut(archive.gzip.begin(), archive.gzip.begin() + archive.gzip.size() / 2);
  pack::RuntimeArchiveCheck truncated = pack::checkRuntimeArchive(cut);
  EXPECT_FALSE(truncated.extractsCleanly);
  EXPECT_FALSE(truncated.problem.empty());
  fs::remove_all(root);
}

} // namespace
} // namespace lnx
