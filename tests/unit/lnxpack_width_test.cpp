// The two launchers, 32-bit and 64-bit: either builds and reads back as what it is, and a
// bundled runtime's jvm.dll must be of the stub's width.
#include <gtest/gtest.h>

#include <tuple>

#include "lnxpack/jvm_library.h"
#include "lnxpack_fixture.h"

namespace lnx::pack {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::Json;
using test::kI386, test::kPe32, test::kPe32Plus, test::kX64;
using LnxpackWidth = test::LnxpackDir;

Bytes image(uint16_t machine, uint16_t magic) {
  Bytes bytes = lnx::test::minimalPeImage(3);
  test::setPeTarget(bytes, machine, magic);
  return bytes;
}

const char* kRuntimeProject = R"({ "stub": "stub.exe", "runtime": { "directory": "jre" } })";

TEST_F(LnxpackWidth, EitherLauncherBuildsAndInspectsAsItsWidth) {
  for (int bits : {32, 64}) {
    write("stub.exe", bits == 64 ? image(kX64, kPe32Plus) : image(kI386, kPe32));
    ASSERT_EQ(build(R"({ "stub": "stub.exe", "files": [ { "name": "b.bin", "source": "src/b.bin" } ] })"), 0)
        << err_.str();
    EXPECT_NE(out_.str().find("(" + std::to_string(bits) + "-bit launcher, 1 files, payload at 2048, "),
              std::string::npos)
        << out_.str();
    Json report = inspect();
    EXPECT_EQ(report["launcherBits"], bits);
    EXPECT_EQ(report["peFormat"], bits == 64 ? "PE32+" : "PE32");
    EXPECT_EQ(report["checksumVerdict"], "ok");
    EXPECT_EQ(report["files"][0]["size"], test::kBinary.size());
    ASSERT_EQ(run({"inspect", at("setup.exe").string()}), 0);
    EXPECT_NE(out_.str().find(bits == 64 ? "\nlauncher              64-bit (PE32+, x86-64)\n"
                                         : "\nlauncher              32-bit (PE32, i386)\n"),
              std::string::npos)
        << out_.str();
  }
}

TEST_F(LnxpackWidth, AStubOfNeitherLauncherIsRefused) {
  using Stub = std::tuple<uint16_t, uint16_t, std::string>;
  for (const auto& [machine, magic, text] : {Stub{0xAA64, kPe32Plus, "PE32+, ARM64"}, Stub{kX64, kPe32, "PE32, x86-64"},
                                             Stub{kI386, 0, "optional header magic 0x0, i386"}}) {
    write("stub.exe", image(machine, magic));
    EXPECT_EQ(build(R"({ "stub": "stub.exe" })"), 2);
    EXPECT_EQ(err_.str(), "lnxpack: " + at("stub.exe").string() + ": the stub is built as " + text +
                              ", which is neither launcher: 32-bit (PE32, i386) or 64-bit (PE32+, x86-64)\n");
    EXPECT_TRUE(onlyInputsLeft());
  }
}

// Where the launcher looks, under any case; a DLL of the other width, of another machine or none.
TEST_F(LnxpackWidth, ARuntimeWhoseJvmDllTheStubCannotLoadIsRefused) {
  const std::string never = " launcher: it could never load it";
  const std::vector<std::tuple<Bytes, std::string, Bytes, std::string>> cases = {
      {image(kX64, kPe32Plus), "bin/server/jvm.dll", image(kI386, kPe32),
       "a 32-bit (PE32, i386) DLL, but the stub is a 64-bit (PE32+, x86-64)" + never},
      {image(kI386, kPe32), "Bin/client/JVM.dll", image(kX64, kPe32Plus),
       "a 64-bit (PE32+, x86-64) DLL, but the stub is a 32-bit (PE32, i386)" + never},
      {image(kX64, kPe32Plus), "jre/bin/server/jvm.dll", image(0xAA64, kPe32Plus),
       "a DLL built as PE32+, ARM64, but the stub is a 64-bit (PE32+, x86-64)" + never},
      {image(kI386, kPe32), "bin/server/jvm.dll", Bytes{'M', 'Z'},
       "not a PE image: no MZ header; the stub is a 32-bit (PE32, i386) launcher and could never load it"},
  };
  for (const auto& [stub, dll, content, problem] : cases) {
    fs::remove_all(at("jre"));
    fs::create_directories(at("jre/" + dll).parent_path());
    write("jre/" + dll, content);
    write("stub.exe", stub);
    EXPECT_EQ(build(kRuntimeProject), 2);
    EXPECT_EQ(err_.str(), "lnxpack: " + (at("jre") / fs::u8path(dll)).string() + ": " + problem + "\n");
    EXPECT_TRUE(onlyInputsLeft());
  }
}

TEST_F(LnxpackWidth, AMatchingRuntimeBuildsAndInspectChecksItsJvmDll) {
  fs::create_directories(at("jre/bin/server"));
  fs::create_directories(at("jre/lib"));
  write("jre/bin/server/jvm.dll", image(kX64, kPe32Plus));
  write("jre/lib/jvm.dll", Bytes{'x'}); // no place the launcher loads from
  write("stub.exe", image(kX64, kPe32Plus));
  ASSERT_EQ(build(kRuntimeProject), 0) << err_.str();
  EXPECT_EQ(inspect()["runtime"]["jvmLibraries"], Json::parse(R"([{ "name": "bin\\server\\jvm.dll", "bits": 64,
                                                    "peFormat": "PE32+", "peMachine": 34404, "problem": "" }])"));

  // The same setup file with the 32-bit launcher's header (outside the checksum's range).
  Bytes setup = read("setup.exe");
  test::setPeTarget(setup, kI386, kPe32);
  write("setup.exe", setup);
  ASSERT_EQ(run({"inspect", at("setup.exe").string()}), 0);
  EXPECT_NE(out_.str().find("\nruntime jvm.dll       bin\\server\\jvm.dll: a 64-bit (PE32+, x86-64) DLL, but this "
                            "setup file is a 32-bit (PE32, i386) launcher: it could never load it!\n"),
            std::string::npos)
      << out_.str();
}

TEST(LnxpackJvmLibrary, NamesWhereTheLauncherLooks) {
  for (const char* name : {"bin/server/jvm.dll", "bin\\client\\jvm.dll", "./bin/server/jvm.dll", "BIN/Hotspot/JVM.DLL",
                           "jre/bin/server/jvm.dll", "jre\\bin\\client\\jvm.dll"})
    EXPECT_TRUE(isJvmLibraryName(name)) << name;
  for (const char* name : {"jvm.dll", "bin/jvm.dll", "lib/server/jvm.dll", "bin/server/x/jvm.dll",
                           "jdk/bin/server/jvm.dll", "bin/server/jvm.dll.bak"})
    EXPECT_FALSE(isJvmLibraryName(name)) << name;
}

} // namespace
} // namespace lnx::pack
