#include "payload/included_files.h"

#include <gtest/gtest.h>

#include "fs/temp_dir.h"
#include "test_log_capture.h"

namespace lnx {
namespace {

TEST(IncludedNames, SplitSkipsEmptyNames) {
  EXPECT_EQ((std::vector<std::string>{"a.jar", "b\\c.png", "d"}), splitIncludedNames(";a.jar;;b\\c.png;d;"));
  EXPECT_TRUE(splitIncludedNames("").empty());
  EXPECT_EQ("images", includedNameDirectory("images\\logo.png"));
  EXPECT_EQ("", includedNameDirectory("logo.png"));
}

TEST(IncludedNames, NamesThatWouldLeaveTheDirectoryAreUnsafe) {
  for (const char* safe : {"lnxruntime.jar", "images\\logo.png", "a\\b\\c.txt", "..hidden", "x..y"})
    EXPECT_TRUE(isSafeIncludedName(safe)) << safe;
  for (const char* unsafe : {"", "..", "..\\evil.exe", "images\\..\\..\\evil", "a/../b", "\\windows\\x", "/etc",
                             "c:\\x", "c:x", "images\\.."})
    EXPECT_FALSE(isSafeIncludedName(unsafe)) << unsafe;
}

class VectorSink : public ByteSink {
public:
  std::vector<uint8_t> bytes;
  uint32_t limitPerCall = 1u << 30;
  bool failAfterFirst = false;
  int calls = 0;
  bool write(const uint8_t* data, uint32_t count, uint32_t& written, uint32_t& systemError) override {
    if (failAfterFirst && calls++ > 0) {
      systemError = 112;
      return false;
    }
    written = std::min(count, limitPerCall);
    bytes.insert(bytes.end(), data, data + written);
    return true;
  }
};

TEST(CopyBlock, UnscramblesInChunksAndHandlesShortWrites) {
  const size_t length = 600001; // more than two chunks, and an odd tail
  std::vector<uint8_t> stored(length + 1000);
  for (size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<uint8_t>(i * 7 + i / 251);
  stored[0] = 0xA7;
  stored[1] = 0x00;
  MemoryByteSource source(stored);
  VectorSink sink;
  sink.limitPerCall = 100000; // the platform may write less than asked
  ASSERT_EQ(kCopied, copyBlock(source, sink, static_cast<int64_t>(length), true));
  ASSERT_EQ(length, sink.bytes.size());
  EXPECT_EQ(0x00, sink.bytes[0]);
  EXPECT_EQ(0xA7, sink.bytes[1]);
  for (size_t i = 2; i < length; ++i) ASSERT_EQ(static_cast<uint8_t>(stored[i] ^ 0xA7), sink.bytes[i]) << i;
  EXPECT_EQ(length, source.position());
}

TEST(CopyBlock, ReadAndWriteFailuresAreReported) {
  std::vector<uint8_t> stored(100, 1);
  MemoryByteSource source(stored);
  VectorSink sink;
  test::LogCapture log;
  EXPECT_EQ(kReadFailed, copyBlock(source, sink, 101, false));
  EXPECT_TRUE(log.contains(L"ERROR: ReadFile failed 0 0 100"));

  MemoryByteSource again(stored);
  VectorSink failing;
  failing.limitPerCall = 10;
  failing.failAfterFirst = true;
  EXPECT_EQ(kWriteFailed, copyBlock(again, failing, 50, false));
  EXPECT_TRUE(log.contains(L"ERROR: WriteFile failed 40 112"));

  MemoryByteSource none(stored);
  EXPECT_EQ(kCopied, copyBlock(none, sink, -5, true));
  EXPECT_EQ(0u, none.position());
}

TEST(TempDirName, UniqueFileOfTheDirectory) {
  EXPECT_EQ("C:\\t\\mrv1a2.tmp", tempDirNameFile("C:\\t\\mrv1a2.tmp_dir1796766060"));
  EXPECT_EQ("C:\\t\\mrv12345", tempDirNameFile("C:\\t\\mrv12345_dir-5"));
  EXPECT_EQ("", tempDirNameFile("C:\\setup.exe.test"));
  EXPECT_EQ("", tempDirNameFile("C:\\t\\mrv1.tmp_dir"));
  EXPECT_EQ("", tempDirNameFile("C:\\t\\x_dir12a"));
}

} // namespace
} // namespace lnx
