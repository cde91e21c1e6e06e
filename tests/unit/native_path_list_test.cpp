#include "jvm/native_path_list.h"

#include <gtest/gtest.h>

#include "test_log_capture.h"

namespace lnx {
namespace {

TEST(NativeLibraryPath, PiecesResolvedAndPutBeforeTheOldPath) {
  std::vector<std::string> resolved;
  auto resolve = [&resolved](const std::string& piece) {
    resolved.push_back(piece);
    return "R:" + piece;
  };
  NativeLibraryPath result = buildNativeLibraryPath(";a;;b\\c;", resolve, "C:\\windows");
  EXPECT_EQ((std::vector<std::string>{"a", "b\\c"}), resolved) << "empty pieces are skipped";
  EXPECT_EQ((std::vector<std::string>{"R:a", "R:b\\c"}), result.directories);
  EXPECT_EQ("R:a;R:b\\c;C:\\windows", result.path);
}

TEST(NativeLibraryPath, EmptyListKeepsTheOldPath) {
  NativeLibraryPath result = buildNativeLibraryPath("", [](const std::string&) { return std::string("x"); }, "C:\\w");
  EXPECT_EQ("C:\\w", result.path);
  EXPECT_TRUE(result.directories.empty());
  EXPECT_EQ("a;", buildNativeLibraryPath("a", [](const std::string& p) { return p; }, "").path);
}

TEST(NativeLibraryPath, CutAtCapacity) {
  test::LogCapture log;
  NativeLibraryPath result = buildNativeLibraryPath("a", [](const std::string& p) { return p; }, "0123456789", 8);
  EXPECT_EQ("a;01234", result.path);
  EXPECT_TRUE(log.contains(L"ERROR: native library PATH truncated at 7 bytes"));
}

} // namespace
} // namespace lnx
