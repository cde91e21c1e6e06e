// An interrupted build leaves nothing behind (POSIX signals; the host's tests only).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>

#include "lnxpack_fixture.h"

namespace lnx::pack {
namespace {

namespace fs = std::filesystem;
using LnxpackSignal = test::LnxpackDir;

// A real child process builds from a 200 MB source and is stopped by a signal in the middle.
TEST_F(LnxpackSignal, ASignalMidBuildLeavesNoTemporaryFileAndTheOldOutput) {
  {
    std::ofstream big(at("src/big.bin"), std::ios::binary);
    std::vector<char> block(1 << 20, 'b');
    for (int i = 0; i < 200; ++i) big.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  writeText("project.json", R"({ "stub": "stub.exe", "files": [ { "name": "big.bin", "source": "src/big.bin" } ] })");
  writeText("setup.exe", "previous build");
  for (int signal : {SIGINT, SIGTERM}) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::ostringstream out, err;
      ::_exit(runCommandLine({"build", at("project.json").string(), "-o", at("setup.exe").string()}, out, err));
    }
    fs::path temporary = at("setup.exe.tmp-" + std::to_string(child));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    auto written = [&temporary] {
      std::error_code missing;
      uintmax_t size = fs::file_size(temporary, missing);
      return missing ? 0 : size;
    };
    while (written() < (8u << 20) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    ASSERT_GE(written(), 8u << 20) << "the build did not get going";
    ::kill(child, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the build ended before the signal came, status " << status;
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_FALSE(fs::exists(temporary)) << "signal " << signal;
    std::ifstream previous(at("setup.exe"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(previous), {}), "previous build");
  }
}

} // namespace
} // namespace lnx::pack
