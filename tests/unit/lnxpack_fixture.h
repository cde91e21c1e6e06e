#pragma once
// A directory of lnxpack inputs (a stub and a few sources) per test, and the command line
// run against it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <unistd.h>

#include "lnxpack/cli.h"
#include "test_payload.h"

namespace lnx::pack::test {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using Bytes = std::vector<uint8_t>;

const Bytes kBinary = {0x00, 0xA7, 0x41, 0xFF}; // 0xA7 is stored as 0x00 and back
const Bytes kJavaData = {'J', 0xA7, 'D', 0x00, 'X'};

constexpr uint16_t kI386 = 0x14C, kX64 = 0x8664, kPe32 = 0x10B, kPe32Plus = 0x20B;

// Sets what a test image (MZ header, "PE\0\0" where field 60 says, an optional header) is
// built for: the COFF header's Machine and the optional header's Magic.
inline void setPeTarget(Bytes& image, uint16_t machine, uint16_t magic) {
  size_t pe = image[60] | image[61] << 8 | image[62] << 16 | size_t{image[63]} << 24;
  image[pe + 4] = static_cast<uint8_t>(machine);
  image[pe + 5] = static_cast<uint8_t>(machine >> 8);
  image[pe + 24] = static_cast<uint8_t>(magic);
  image[pe + 25] = static_cast<uint8_t>(magic >> 8);
}

class LnxpackDir : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("lnxpack-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "src");
    stub_ = lnx::test::minimalPeImage(3);
    setPeTarget(stub_, kI386, kPe32); // the 32-bit launcher
    write("stub.exe", stub_);
    write("src/a.txt", Bytes{'h', 'e', 'l', 'l', 'o'});
    write("src/b.bin", kBinary);
    write("src/empty.txt", Bytes{});
    write("src/java.bin", kJavaData);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path at(const std::string& name) const { return dir_ / name; }
  void write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(at(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  void writeText(const std::string& name, const std::string& text) const {
    write(name, Bytes(text.begin(), text.end()));
  }
  Bytes read(const std::string& name) const {
    std::ifstream in(at(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }

  int run(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    return runCommandLine(args, out_, err_);
  }
  int build(const std::string& project) {
    writeText("project.json", project);
    return run({"build", at("project.json").string(), "-o", at("setup.exe").string()});
  }
  Json inspect(const std::string& locale = "") {
    exitCode_ = run({"inspect", "--json", "--locale", locale, at("setup.exe").string()});
    return Json::parse(out_.str());
  }
  // Nothing but the inputs: no setup file, no temporary file.
  bool onlyInputsLeft() const {
    for (const auto& entry : fs::directory_iterator(dir_))
      if (entry.path().filename().string().rfind("setup.exe", 0) == 0) return false;
    return true;
  }

  fs::path dir_;
  Bytes stub_;
  std::ostringstream out_, err_;
  int exitCode_ = -1;
};

} // namespace lnx::pack::test
