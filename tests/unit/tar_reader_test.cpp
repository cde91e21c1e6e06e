#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "memory_tar_target.h"
#include "runtime/gzip_file.h"
#include "runtime/tar_reader.h"
#include "test_log_capture.h"

namespace lnx {
namespace {

// Tar blocks written by hand, so that every field is what the test says.
std::string header(const std::string& name, char type, size_t size, const char* magic = "ustar  ",
                   const std::string& prefix = "") {
  std::string block(kTarBlock, '\0');
  block.replace(0, std::min<size_t>(name.size(), 100), name.substr(0, 100));
  char sizeField[13];
  std::snprintf(sizeField, sizeof sizeField, "%011zo ", size);
  block.replace(124, 12, sizeField, 12);
  block[156] = type;
  std::memcpy(&block[257], magic, std::strlen(magic) + 1);
  block.replace(345, prefix.size(), prefix);
  return block;
}

std::string padded(const std::string& data) {
  return data + std::string((kTarBlock - data.size() % kTarBlock) % kTarBlock, '\0');
}

std::string entry(const std::string& name, char type, const std::string& data) {
  return header(name, type, data.size()) + padded(data);
}

const std::string kEnd(2 * kTarBlock, '\0');

struct Untarred {
  bool result;
  test::MemoryTarTarget target;
  std::wstring log;
};

Untarred untar(const std::string& archive, int64_t expected = 0) {
  test::LogCapture capture;
  Untarred out{false, {}, {}};
  test::MemoryGzipInput input(archive);
  out.result = untarStream(input, out.target, expected);
  for (const std::wstring& line : capture.captured())
    out.log += line + L"\n";
  return out;
}

TEST(TarReader, DirectoryAndFileWithPaddingThenTheEndBlocks) {
  std::string data(1000, 'x');
  Untarred run = untar(entry("jre/", '5', "") + entry("jre/bin/a.dll", '0', data) +
                           entry("exact", '0', std::string(512, 'y')) + kEnd,
                       3000);
  ASSERT_TRUE(run.result);
  EXPECT_EQ(std::vector<std::string>{"jre\\"}, run.target.directories);
  EXPECT_EQ(data, run.target.files["jre\\bin\\a.dll"]) << "the 24 padding bytes are not data";
  EXPECT_EQ(std::string(512, 'y'), run.target.files["exact"]) << "no padding after exactly one block";
  EXPECT_NE(std::string::npos, run.log.find(L"extracting jre\\bin\\a.dll (size 1000)"));
  EXPECT_NE(std::string::npos, run.log.find(L"untaring JRE was successful"));
  EXPECT_EQ(134, run.target.progress.front()) << "100 + 100 x the 1024 header bytes read of 3000 expected, truncated";
}

TEST(TarReader, OctalSizeRules) {
  EXPECT_EQ(1000u, parseOctalField("00000001750 ", 12));
  EXPECT_EQ(8u, parseOctalField("  010 7", 7)) << "a blank after the first digit ends the number";
  EXPECT_EQ(1u, parseOctalField("1\0"
                                "77",
                                4))
      << "a zero byte ends it";
  EXPECT_EQ(0u, parseOctalField("000000000000", 12));
}

TEST(TarReader, OtherTypesAreSkippedWithTheirData) {
  Untarred run = untar(entry("link", '2', "target-of-link") + entry("old", '\0', std::string(700, 'o')) +
                       entry("kept", '0', "k") + kEnd);
  ASSERT_TRUE(run.result);
  EXPECT_EQ((std::map<std::string, std::string>{{"kept", "k"}}), run.target.files);
}

TEST(TarReader, ArchivesWithoutFilesOrCutShortFail) {
  Untarred directoriesOnly = untar(entry("a/", '5', "") + kEnd);
  EXPECT_FALSE(directoriesOnly.result);
  EXPECT_NE(std::string::npos, directoriesOnly.log.find(L"ERROR: no magic number"));

  Untarred empty = untar("");
  EXPECT_FALSE(empty.result);
  EXPECT_NE(std::string::npos, empty.log.find(L"ERROR: unexpected eof"));

  std::string whole = entry("f", '0', std::string(1000, 'z'));
  Untarred truncated = untar(whole.substr(0, kTarBlock + 600));
  EXPECT_FALSE(truncated.result);
  EXPECT_NE(std::string::npos, truncated.log.find(L"ERROR: sizes don't match: 600, 1000"));
  EXPECT_NE(std::string::npos, truncated.log.find(L"ERROR: untaring JRE was unsuccessful"));

  Untarred inHeader = untar(entry("f", '0', "1") + header("g", '0', 1).substr(0, 300));
  EXPECT_FALSE(inHeader.result) << "an archive that ends inside a header is damaged";
}

TEST(TarReader, LongNamesPrefixesAndPaxRecordsNameTheEntry) {
  std::string longName = std::string(150, 'n') + "/file.jar";
  Untarred gnu = untar(entry("././@LongLink", 'L', longName + '\0') + entry("short", '0', "L") + kEnd);
  ASSERT_TRUE(gnu.result);
  EXPECT_EQ("L", gnu.target.files[longName]) << "a long name is used as read";

  std::string posix = header("lib/rt.jar", '0', 1, "ustar", "jre") + padded("P") + kEnd;
  Untarred prefixed = untar(posix);
  EXPECT_EQ("P", prefixed.target.files["jre\\lib\\rt.jar"]);
  Untarred gnuMagic = untar(header("lib/rt.jar", '0', 1, "ustar  ", "jre") + padded("G") + kEnd);
  EXPECT_EQ("G", gnuMagic.target.files["lib\\rt.jar"]) << "only the POSIX magic has a prefix field";

  std::string records = "30 path=jre/lib/very/long.jar\n"
                        "10 size=3\n";
  Untarred pax = untar(entry("PaxHeaders/x", 'x', records) + header("trunc", '0', 99) + padded("abc") + kEnd);
  ASSERT_TRUE(pax.result);
  EXPECT_EQ("abc", pax.target.files["jre/lib/very/long.jar"]);

  PaxRecords parsed;
  EXPECT_FALSE(parsePaxRecords("99 path=x\n", parsed));
  EXPECT_FALSE(parsePaxRecords("7 size=x\n", parsed));
}

TEST(TarReader, NamesThatLeaveTheTargetAndOverlongNamesAreRefused) {
  for (const char* name : {"../evil.dll", "jre/../../evil", "/etc/x", "\\x", "C:x", "a\\..\\..\\b"}) {
    Untarred run = untar(entry(name, '0', "e") + kEnd);
    EXPECT_FALSE(run.result) << name;
    EXPECT_TRUE(run.target.files.empty()) << name;
  }
  EXPECT_TRUE(isSafeArchiveName("jre/..x/a..b"));
  Untarred overlong = untar(entry("././@LongLink", 'L', std::string(kTarNameBuffer, 'n')) + entry("s", '0', "") + kEnd);
  EXPECT_FALSE(overlong.result);
  EXPECT_TRUE(overlong.target.files.empty());
}

TEST(TarReader, ReadsAGzipFileThroughZlib) {
  std::string tar = entry("d/", '5', "") + entry("d/big.bin", '0', std::string(100000, 'b')) +
                    entry("skip", '2', std::string(3000, 's')) + kEnd;
  std::string path = ::testing::TempDir() + "tar_reader_test.tar.gz";
  gzFile out = gzopen(path.c_str(), "wb");
  ASSERT_TRUE(out);
  ASSERT_EQ(static_cast<int>(tar.size()), gzwrite(out, tar.data(), static_cast<unsigned>(tar.size())));
  gzclose(out);
  GzipFile input(path);
  ASSERT_TRUE(input.isOpen());
  test::MemoryTarTarget target;
  EXPECT_TRUE(untarStream(input, target, static_cast<int64_t>(tar.size())));
  EXPECT_EQ(std::string(100000, 'b'), target.files["d\\big.bin"]);
  std::remove(path.c_str());
}

} // namespace
} // namespace lnx
