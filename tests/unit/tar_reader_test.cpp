#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "memory_tar_target.h"
#include "runtime/tar_reader.h"
#include "test_log_capture.h"

namespace lnx {
namespace {

using test::kTarEnd;
using test::tarEntry;
using test::tarHeader;
using test::tarPadded;

struct Untarred {
  bool result;
  test::MemoryTarTarget target;
  std::wstring log;
};

Untarred untar(const std::string& archive, int64_t expected = 0, const test::MemoryTarTarget& target = {}) {
  test::LogCapture capture;
  Untarred out{false, target, {}};
  test::MemoryGzipInput input(archive);
  out.result = untarStream(input, out.target, expected);
  for (const std::wstring& line : capture.captured())
    out.log += line + L"\n";
  return out;
}

TEST(TarReader, DirectoryAndFileWithPaddingThenTheEndBlocks) {
  std::string data(1000, 'x');
  Untarred run = untar(tarEntry("jre/", '5', "") + tarEntry("jre/bin/a.dll", '0', data) +
                           tarEntry("exact", '0', std::string(512, 'y')) + kTarEnd,
                       3000);
  ASSERT_TRUE(run.result);
  EXPECT_EQ(std::vector<std::string>{"jre\\"}, run.target.directories);
  EXPECT_EQ(data, run.target.files["jre\\bin\\a.dll"]) << "the 24 padding bytes are not data";
  EXPECT_EQ(std::string(512, 'y'), run.target.files["exact"]) << "no padding after exactly one block";
  EXPECT_NE(std::string::npos, run.log.find(L"extracting jre\\bin\\a.dll (size 1000)"));
  EXPECT_NE(std::string::npos, run.log.find(L"untaring JRE was successful"));
  EXPECT_EQ(134, run.target.progress.front()) << "100 + 100 x the 1024 header bytes read of 3000 expected, truncated";
}

uint64_t octal(const std::string& field) {
  uint64_t value = 0;
  return parseOctalField(field.data(), field.size(), value) ? value : UINT64_MAX;
}

TEST(TarReader, OctalSizeRules) {
  EXPECT_EQ(1000u, octal("00000001750 "));
  EXPECT_EQ(1000u, octal("    1750    ")) << "leading blanks, a blank after the digits";
  EXPECT_EQ(8u, octal("  010 7")) << "a blank after the first digit ends the number";
  EXPECT_EQ(1u, octal(std::string("1\0"
                                  "77",
                                  4)))
      << "a zero byte ends it";
  EXPECT_EQ(0u, octal("000000000000"));
  EXPECT_EQ(0u, octal(std::string(12, '\0')));
  EXPECT_EQ(077777777777u, octal("77777777777\0"));
  EXPECT_EQ(0777777777777u, octal("777777777777")) << "twelve digits without a terminator";
  for (const std::string& refused :
       {std::string("/000"), std::string("0000001750x "), std::string("00000001758 "), std::string("999999999999"),
        std::string("-1"), std::string("\x80\0\0\0\0\0\0\0\0\0\x04\0", 12)})
    EXPECT_EQ(UINT64_MAX, octal(refused)) << refused;
  EXPECT_EQ(1ull << 63, octal("1" + std::string(21, '0')));
  EXPECT_EQ(UINT64_MAX, octal("1" + std::string(22, '0'))) << "more than 64 bits";
}

TEST(TarReader, OtherTypesAreSkippedWithTheirData) {
  Untarred run = untar(tarEntry("link", '2', "target-of-link") + tarEntry("old", '\0', std::string(700, 'o')) +
                       tarEntry("kept", '0', "k") + kTarEnd);
  ASSERT_TRUE(run.result);
  EXPECT_EQ((std::map<std::string, std::string>{{"kept", "k"}}), run.target.files);
}

// A size the reader cannot take as it stands must not become a skip of nothing: the entry's
// data would be read as headers, and an entry that a listing does not show would be
// extracted. "/000" taken digit by digit from "0" is -512; the pax size below is negative as
// a signed count and a multiple of 512 too.
TEST(TarReader, SizesThatAreNoOctalNumberOrDoNotFitHideNoEntry) {
  std::string hidden = tarEntry("hidden.dll", '0', "h");
  std::string link = tarHeader("link", '2', 0);
  std::string wrapping = link;
  wrapping.replace(124, 12, std::string("/000") + std::string(8, '\0'));
  std::string baseTwoFiftySix = link; // GNU's form for sizes of 8 GiB and more
  baseTwoFiftySix.replace(124, 12, std::string("\x80\0\0\0\0\0\0\0\0\0\x04\0", 12));
  std::string paxSize = tarEntry("PaxHeaders/link", 'x', "28 size=9999999999999999488\n") + link;
  for (const std::string& entry : {wrapping, baseTwoFiftySix, paxSize}) {
    Untarred run = untar(tarEntry("a.dll", '0', "a") + entry + hidden + kTarEnd);
    EXPECT_FALSE(run.result);
    EXPECT_EQ(0u, run.target.files.count("hidden.dll"));
  }
  EXPECT_NE(std::string::npos, untar(wrapping).log.find(L"ERROR: bad size field"));
  EXPECT_NE(std::string::npos, untar(paxSize).log.find(L"ERROR: bad pax header"));
}

// GNU tar and Python's tarfile read neither data nor padding after a directory header,
// whatever its size field says, and list the header that follows; so does the reader. Here
// a padding skip of 500 bytes would land on a header hidden in the next file's data.
TEST(TarReader, ADirectoryHasNoDataWhateverItsSize) {
  std::string hidden = tarHeader("hidden.dll", '0', 1);
  std::string innocent = tarHeader("innocent.txt", '0', 1024);
  innocent.replace(500, 12, hidden.substr(0, 12));
  std::string data = hidden.substr(12) + "h" + std::string(523, '\0');
  Untarred run = untar(tarHeader("d/", '5', 12) + innocent + data + kTarEnd);
  ASSERT_TRUE(run.result);
  EXPECT_EQ(0u, run.target.files.count("hidden.dll"));
  EXPECT_TRUE(run.target.files["innocent.txt"] == data) << "the 1024 bytes after the header";
}

TEST(TarReader, ArchivesWithoutFilesOrCutShortFail) {
  Untarred directoriesOnly = untar(tarEntry("a/", '5', "") + kTarEnd);
  EXPECT_FALSE(directoriesOnly.result);
  EXPECT_NE(std::string::npos, directoriesOnly.log.find(L"ERROR: no magic number"));

  Untarred empty = untar("");
  EXPECT_FALSE(empty.result);
  EXPECT_NE(std::string::npos, empty.log.find(L"ERROR: unexpected eof"));

  std::string whole = tarEntry("f", '0', std::string(1000, 'z'));
  Untarred truncated = untar(whole.substr(0, kTarBlock + 600));
  EXPECT_FALSE(truncated.result);
  EXPECT_NE(std::string::npos, truncated.log.find(L"ERROR: sizes don't match: 600, 1000"));
  EXPECT_NE(std::string::npos, truncated.log.find(L"ERROR: untaring JRE was unsuccessful"));

  Untarred inHeader = untar(tarEntry("f", '0', "1") + tarHeader("g", '0', 1).substr(0, 300));
  EXPECT_FALSE(inHeader.result) << "an archive that ends inside a header is damaged";
}

// A file that cannot be created stops the extraction at once (the launcher then ends the
// run, once the archive is closed); a file whose last bytes cannot be written is a failed
// write like any other.
TEST(TarReader, AFileNotCreatedOrNotWrittenToTheEndStopsTheExtraction) {
  std::string archive =
      tarEntry("a.dll", '0', "a") + tarEntry("nodir/x.dll", '0', "x") + tarEntry("z.dll", '0', "z") + kTarEnd;
  test::MemoryTarTarget refusing;
  refusing.uncreatable = {"nodir\\x.dll"};
  Untarred uncreated = untar(archive, 0, refusing);
  EXPECT_FALSE(uncreated.result);
  EXPECT_EQ((std::map<std::string, std::string>{{"a.dll", "a"}}), uncreated.target.files);
  EXPECT_EQ(std::wstring::npos, uncreated.log.find(L"extracting z.dll"));

  test::MemoryTarTarget fullDisk;
  fullDisk.failingClose = {"nodir\\x.dll"};
  Untarred unflushed = untar(archive, 0, fullDisk);
  EXPECT_FALSE(unflushed.result);
  EXPECT_NE(std::wstring::npos, unflushed.log.find(L"ERROR: stream error\nERROR: extract file failed"));
  EXPECT_EQ(0u, unflushed.target.files.count("z.dll"));
}

TEST(TarReader, LongNamesPrefixesAndPaxRecordsNameTheEntry) {
  std::string longName = std::string(150, 'n') + "/file.jar";
  Untarred gnu = untar(tarEntry("././@LongLink", 'L', longName + '\0') + tarEntry("short", '0', "L") + kTarEnd);
  ASSERT_TRUE(gnu.result);
  EXPECT_EQ("L", gnu.target.files[longName]) << "a long name is used as read";

  std::string posix = tarHeader("lib/rt.jar", '0', 1, "ustar", "jre") + tarPadded("P") + kTarEnd;
  Untarred prefixed = untar(posix);
  EXPECT_EQ("P", prefixed.target.files["jre\\lib\\rt.jar"]);
  Untarred gnuMagic = untar(tarHeader("lib/rt.jar", '0', 1, "ustar  ", "jre") + tarPadded("G") + kTarEnd);
  EXPECT_EQ("G", gnuMagic.target.files["lib\\rt.jar"]) << "only the POSIX magic has a prefix field";

  std::string records = "30 path=jre/lib/very/long.jar\n"
                        "10 size=3\n";
  Untarred pax =
      untar(tarEntry("PaxHeaders/x", 'x', records) + tarHeader("trunc", '0', 99) + tarPadded("abc") + kTarEnd);
  ASSERT_TRUE(pax.result);
  EXPECT_EQ("abc", pax.target.files["jre/lib/very/long.jar"]);

  PaxRecords parsed;
  EXPECT_FALSE(parsePaxRecords("99 path=x\n", parsed));
  EXPECT_FALSE(parsePaxRecords("7 size=x\n", parsed));
}

TEST(TarReader, NamesThatLeaveTheTargetAndOverlongNamesAreRefused) {
  for (const char* name : {"../evil.dll", "jre/../../evil", "/etc/x", "\\x", "C:x", "a\\..\\..\\b"}) {
    Untarred run = untar(tarEntry(name, '0', "e") + kTarEnd);
    EXPECT_FALSE(run.result) << name;
    EXPECT_TRUE(run.target.files.empty()) << name;
  }
  EXPECT_TRUE(isSafeArchiveName("jre/..x/a..b"));
  Untarred overlong =
      untar(tarEntry("././@LongLink", 'L', std::string(kTarNameBuffer, 'n')) + tarEntry("s", '0', "") + kTarEnd);
  EXPECT_FALSE(overlong.result);
  EXPECT_TRUE(overlong.target.files.empty());
}

} // namespace
} // namespace lnx
