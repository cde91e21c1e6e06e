// inspect reports the certificate table a signing tool appends, and a signed setup file
// still checks.
#include <gtest/gtest.h>

#include "lnxpack_fixture.h"

namespace lnx::pack {
namespace {

using test::Bytes;
using test::Json;
using LnxpackSignature = test::LnxpackDir;

// The fixture's stub: "PE\0\0" at 0x80, an optional header of 0xE0 bytes.
constexpr size_t kOptionalHeader = 0x80 + 24;

void put32(Bytes& image, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) image[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// What a signing tool does to a PE32 image: appends a certificate table of size bytes and
// points data directory 4 at it.
void appendCertificateTable(Bytes& image, uint32_t size) {
  image[kOptionalHeader] = 0x0B;
  image[kOptionalHeader + 1] = 0x01;
  put32(image, kOptionalHeader + 92, 16);
  put32(image, kOptionalHeader + 96 + 4 * 8, static_cast<uint32_t>(image.size()));
  put32(image, kOptionalHeader + 96 + 4 * 8 + 4, size);
  image.resize(image.size() + size, 0x30);
}

const char* kProject = R"({ "stub": "stub.exe", "files": [ { "name": "a.txt", "source": "src/a.txt" } ],
                            "javaData": "src/java.bin" })";

TEST_F(LnxpackSignature, ASignedSetupFileChecksAndKeepsItsJavaData) {
  ASSERT_EQ(build(kProject), 0) << err_.str();
  Json unsigned_ = inspect();
  EXPECT_EQ(unsigned_["signatureOffset"], 0);
  EXPECT_EQ(unsigned_["signatureSize"], 0);
  ASSERT_EQ(run({"inspect", at("setup.exe").string()}), 0);
  EXPECT_NE(out_.str().find("\nsignature             none\n"), std::string::npos) << out_.str();

  Bytes setup = read("setup.exe");
  size_t unsignedSize = setup.size();
  appendCertificateTable(setup, 0x5A8);
  write("setup.exe", setup);
  Json report = inspect();
  EXPECT_EQ(exitCode_, 0) << err_.str();
  EXPECT_EQ(report["checksumVerdict"], "ok");
  EXPECT_EQ(report["signatureOffset"], unsignedSize);
  EXPECT_EQ(report["signatureSize"], 0x5A8);
  EXPECT_EQ(report["javaDataLength"], test::kJavaData.size());
  ASSERT_EQ(run({"inspect", at("setup.exe").string()}), 0);
  EXPECT_NE(out_.str().find("\nsignature             1448 bytes at offset " + std::to_string(unsignedSize) + "\n"),
            std::string::npos)
      << out_.str();
}

// The Java-side data ends where the certificate table starts, even when the header's
// covered length runs over it.
TEST_F(LnxpackSignature, TheJavaSideDataEndsAtTheCertificateTable) {
  ASSERT_EQ(build(R"({ "stub": "stub.exe", "javaData": "src/java.bin", "checksum": false })"), 0) << err_.str();
  Bytes setup = read("setup.exe");
  uint32_t payloadStart = inspect()["payloadStart"];
  appendCertificateTable(setup, 64);
  put32(setup, payloadStart + 12, static_cast<uint32_t>(setup.size() - payloadStart - 20));
  write("setup.exe", setup);
  Json report = inspect();
  EXPECT_EQ(report["javaDataLength"], test::kJavaData.size());
  EXPECT_EQ(report["signatureSize"], 64);

  put32(setup, kOptionalHeader + 96 + 4 * 8 + 4, 0x10000); // a table that cannot be there
  write("setup.exe", setup);
  ASSERT_EQ(run({"inspect", at("setup.exe").string()}), 0);
  EXPECT_NE(out_.str().find("65536 bytes at offset " + std::to_string(setup.size() - 64) +
                            " (runs past the end of the file!)"),
            std::string::npos)
      << out_.str();
}

TEST_F(LnxpackSignature, ASignedStubIsRefusedWithTheWayOut) {
  appendCertificateTable(stub_, 256);
  write("stub.exe", stub_);
  EXPECT_EQ(build(R"({ "stub": "stub.exe" })"), 2);
  EXPECT_NE(err_.str().find("the stub is signed (a certificate table of 256 bytes follows its last section)"),
            std::string::npos)
      << err_.str();
  EXPECT_TRUE(onlyInputsLeft());
}

} // namespace
} // namespace lnx::pack
