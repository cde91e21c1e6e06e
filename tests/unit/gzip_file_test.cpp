// The runtime archive read through zlib's own gzip reader (GzipFile) from files the test
// writes: a stream that zlib calls cut short has not ended, whatever the tar read so far
// says, and lnxpack's check of the same bytes comes to the same verdict.
#include <gtest/gtest.h>

#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "lnxpack/runtime_archive.h"
#include "memory_tar_target.h"
#include "runtime/gzip_file.h"
#include "runtime/tar_reader.h"
#include "test_log_capture.h"

namespace lnx {
namespace {

using test::kTarEnd;
using test::tarEntry;

// The tar as a gzip stream, with a sync flush after each of the given lengths of tar: the
// stream cut at cutAt[i] holds exactly the first flushAfter[i] bytes of tar.
struct Gzipped {
  std::string bytes;
  std::vector<size_t> cutAt;
};

Gzipped gzipFlushedAfter(const std::string& tar, const std::vector<size_t>& flushAfter) {
  z_stream stream{};
  Gzipped out;
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return out;
  std::vector<Bytef> buffer(deflateBound(&stream, tar.size()) + 64 * (flushAfter.size() + 1));
  stream.next_out = buffer.data();
  stream.avail_out = static_cast<uInt>(buffer.size());
  size_t done = 0;
  auto feed = [&](size_t end, int flush) {
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(tar.data() + done));
    stream.avail_in = static_cast<uInt>(end - done);
    deflate(&stream, flush);
    done = end;
  };
  for (size_t end : flushAfter) {
    feed(end, Z_SYNC_FLUSH);
    out.cutAt.push_back(stream.total_out);
  }
  feed(tar.size(), Z_FINISH);
  out.bytes.assign(reinterpret_cast<char*>(buffer.data()), stream.total_out);
  deflateEnd(&stream);
  return out;
}

// What the launcher makes of these bytes as its jre.tar.gz: whether they extract, and the log.
bool untarThroughZlib(const std::string& gzip, std::wstring* log = nullptr) {
  // A name of this process and test: ctest runs each test as a process of its own, side by side.
  std::string path = ::testing::TempDir() + "gzip_file_test." + std::to_string(getpid()) + "." +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".tar.gz";
  FILE* file = std::fopen(path.c_str(), "wb");
  EXPECT_TRUE(file && std::fwrite(gzip.data(), 1, gzip.size(), file) == gzip.size() && std::fclose(file) == 0);
  bool extracted = false;
  {
    test::LogCapture capture;
    GzipFile input(path);
    EXPECT_TRUE(input.isOpen());
    test::MemoryTarTarget target;
    extracted = untarStream(input, target, 0);
    for (const std::wstring& line : capture.captured())
      if (log) *log += line + L"\n";
  }
  std::remove(path.c_str());
  return extracted;
}

bool lnxpackCallsItClean(const std::string& gzip) {
  return pack::checkRuntimeArchive(std::vector<uint8_t>(gzip.begin(), gzip.end())).extractsCleanly;
}

TEST(GzipFile, ReadsAWholeArchive) {
  std::string tar = tarEntry("d/", '5', "") + tarEntry("d/big.bin", '0', std::string(100000, 'b')) +
                    tarEntry("skip", '2', std::string(3000, 's')) + kTarEnd;
  EXPECT_TRUE(untarThroughZlib(gzipFlushedAfter(tar, {}).bytes));
}

// zlib's gzread gives 0 at a cut as at the end and tells them apart only through gzerror.
// lnxpack inspect inflates the same bytes itself: its verdict must be the launcher's.
TEST(GzipFile, AStreamCutShortHasNotEndedWhereverItIsCut) {
  std::string tar;
  std::vector<size_t> flushes; // before each entry's padding, and after each entry
  for (const auto& [name, type, data] : {std::tuple<std::string, char, std::string>{"bin/", '5', ""},
                                         {"bin/a.dll", '0', std::string(1000, 'a')},
                                         {"lib/link", '2', std::string(700, 'l')},
                                         {"release", '0', "r"}}) {
    if (!data.empty()) flushes.push_back(tar.size() + kTarBlock + data.size());
    tar += tarEntry(name, type, data);
    flushes.push_back(tar.size());
  }
  Gzipped gzipped = gzipFlushedAfter(tar + kTarEnd, flushes);
  ASSERT_TRUE(untarThroughZlib(gzipped.bytes));
  ASSERT_TRUE(lnxpackCallsItClean(gzipped.bytes));
  for (size_t cut : gzipped.cutAt) {
    std::wstring log;
    EXPECT_FALSE(untarThroughZlib(gzipped.bytes.substr(0, cut), &log)) << "cut at " << cut;
    EXPECT_EQ(std::wstring::npos, log.find(L"untaring JRE was successful"));
  }
  for (size_t cut = 0; cut < gzipped.bytes.size(); ++cut) {
    std::string bytes = gzipped.bytes.substr(0, cut);
    ASSERT_EQ(lnxpackCallsItClean(bytes), untarThroughZlib(bytes)) << "cut at " << cut;
  }

  // Without end blocks the end of the stream ends the archive, if zlib calls it an end: cut
  // off here is only the gzip trailer (check value and length); every byte of tar is there.
  std::string unended = gzipFlushedAfter(tar, {}).bytes;
  EXPECT_TRUE(untarThroughZlib(unended));
  EXPECT_FALSE(untarThroughZlib(unended.substr(0, unended.size() - 8)));
}

TEST(GzipFile, ANegativeSkipFails) {
  std::string path = ::testing::TempDir() + "gzip_file_skip." + std::to_string(getpid()) + ".gz";
  gzFile out = gzopen(path.c_str(), "wb");
  ASSERT_TRUE(out);
  gzwrite(out, "0123456789", 10);
  gzclose(out);
  {
    GzipFile input(path);
    char first = 0;
    ASSERT_TRUE(input.skip(4));
    EXPECT_FALSE(input.skip(-2)) << "gzseek would go back and read the bytes again";
    ASSERT_EQ(1, input.read(&first, 1));
    EXPECT_EQ('4', first);
  }
  std::remove(path.c_str());
  EXPECT_FALSE(test::MemoryGzipInput("0123").skip(-1));
}

} // namespace
} // namespace lnx
