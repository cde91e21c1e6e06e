#include <windows.h>

#include <vector>

#include "base/cancellation.h"
#include "base/launcher_state.h"
#include "base/progress_bar.h"
#include "log/error_report.h"
#include "log/log.h"
#include "payload/catalogue.h"
#include "payload/crc32.h"
#include "payload/own_executable.h"
#include "payload/payload_format.h"
#include "payload/record_reader.h"
#include "payload/tables.h"

namespace lnx {

namespace {

// Large reads: under Wine each ReadFile costs microseconds beyond its copy (see the design
// notes on chunk sizes). The progress bar still moves at most 100 times.
constexpr uint32_t kChunkSize = 256 * 1024;

// Returns the complemented CRC-32 of the covered range; ends the process on a read failure.
uint32_t checksumOfCoveredRange(ByteSource& file, int64_t coveredLength, HWND progressWindow) {
  std::vector<uint8_t> chunk(kChunkSize);
  uint32_t reg = kCrc32Initial;
  int64_t done = 0;
  int64_t lastPercent = 0;
  while (done < coveredLength) {
    uint32_t wanted = static_cast<uint32_t>(std::min<int64_t>(coveredLength - done, kChunkSize));
    ReadResult result = file.read(chunk.data(), wanted);
    if (!result.ok || result.bytesRead == 0) {
      logError(L"check ReadFile failed %d %d %I64d", result.bytesRead, result.systemError, done);
      failWithMessageArgument(message::internalError, L"34");
    }
    reg = crc32Update(reg, chunk.data(), result.bytesRead);
    done += result.bytesRead;
    stopIfCanceled();
    if (progressWindow) {
      int64_t percent = done * 100 / coveredLength;
      if (percent > lastPercent) {
        lastPercent = percent;
        setProgressPosition(progressWindow, static_cast<int>(percent));
      }
    }
  }
  return crc32Finish(reg);
}

} // namespace

void verifyPayload(void* progressWindow) {
  HWND window = static_cast<HWND>(progressWindow);
  std::unique_ptr<ByteSource> file = openOwnExecutable();
  RecordReader reader(*file);
  uint32_t expected = 1, computed = 0;
  try {
    seekPayloadStart(reader);
    logPrint(L"starting at %d", static_cast<int>(reader.position()));
    if (static_cast<uint32_t>(reader.readInt()) == payload::kMagic) {
      expected = 0;
      if (launcherState().verifyIntegrity && reader.readInt() != 0) {
        expected = static_cast<uint32_t>(reader.readInt());
        int64_t coveredLength = reader.readLong();
        logPrint(L"verifying integrity length %I64d", coveredLength);
        computed = checksumOfCoveredRange(*file, coveredLength, window);
        logPrint(L"checksums: %u %u %d %d", computed, expected, static_cast<int32_t>(computed),
                 static_cast<int32_t>(expected));
      } else if (window) {
        setProgressRange(window, 100, 400);
        setProgressPosition(window, 101);
      }
    }
  } catch (const PayloadReadError& error) {
    failWithText(error.text);
  }
  file.reset();
  if (computed != expected) {
    // Shown as a box even in quiet mode: a corrupted download must not pass unnoticed.
    std::wstring text = getMessage(message::installationCorrupted);
    std::wstring caption = getMessage(message::wizardCaption);
    MessageBoxW(window, text.c_str(), caption.c_str(), MB_ICONERROR);
    exitLauncher(1);
  }
}

} // namespace lnx
