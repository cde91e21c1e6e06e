#include "runtime/tar_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "log/log.h"

namespace lnx {

namespace {

constexpr size_t kHeaderFieldsRead = 500; // the rest of the block is skipped
constexpr size_t kNameOffset = 0, kNameLength = 100;
constexpr size_t kSizeOffset = 124, kSizeLength = 12;
constexpr size_t kTypeOffset = 156;
constexpr size_t kMagicOffset = 257;
constexpr size_t kPrefixOffset = 345, kPrefixLength = 155;
constexpr uint64_t kPaxDataLimit = 1 << 20; // pax headers of real archives are a few hundred bytes
constexpr uint32_t kProgressIntervalMs = 200;

std::string fieldText(const char* field, size_t length) { return std::string(field, strnlen(field, length)); }

class ArchiveReader {
public:
  ArchiveReader(GzipInput& input, TarTarget& target, int64_t expectedSize)
      : input_(input), target_(target), expectedSize_(expectedSize) {}

  bool run() {
    while (readHeader()) {
      uint64_t size = 0;
      std::string name;
      if (!readSize(size) || !readNameRecords(size, name)) break;
      char type = header_[kTypeOffset];
      if (!isSafeArchiveName(name)) {
        logError(L"refusing entry name %S", name);
        break;
      }
      if (type == '5') {
        // No data follows a directory, whatever its size field says (GNU tar and Python's
        // tarfile read the next block as the next header too).
        target_.createDirectory(name);
        continue;
      }
      if (type == '0') {
        target_.setProgress(progressPosition());
        if (!extractEntry(name, size)) {
          logError(L"extract file failed");
          break;
        }
        filesExtracted_ = true;
      } else if (!input_.skip(static_cast<int64_t>(size))) {
        logError(L"gzseek 2 failed");
        break;
      }
      if (!skipPadding(size, L"gzseek 3 failed")) break;
    }
    return result_;
  }

private:
  // The header of the next block; false at the end of the archive (result set) or on an error.
  bool readHeader() {
    int got = input_.atEnd() ? 0 : input_.read(header_, kHeaderFieldsRead);
    if (got == -1) {
      logError(L"gzread failed");
      return false;
    }
    if (got == 0) {
      result_ = filesExtracted_;
      if (!filesExtracted_) logError(L"unexpected eof");
      return false;
    }
    if (static_cast<size_t>(got) < kHeaderFieldsRead) {
      logError(L"archive ends inside a header");
      return false;
    }
    if (std::memcmp(header_ + kMagicOffset, "ustar", 5) != 0) { // the zero blocks at the end
      result_ = filesExtracted_;
      if (!filesExtracted_) logError(L"no magic number");
      return false;
    }
    if (!input_.skip(kTarBlock - kHeaderFieldsRead)) {
      logError(L"gzseek 1 failed");
      return false;
    }
    return true;
  }

  // The entry's name and size after any GNU long-name and pax records in front of its header.
  bool readNameRecords(uint64_t& size, std::string& name) {
    std::string longNameText;
    PaxRecords pax;
    for (;;) {
      char type = header_[kTypeOffset];
      if (type != 'L' && type != 'x') break;
      std::string data;
      bool longName = type == 'L';
      if (!readData(size, longName ? kTarNameBuffer - 1 : kPaxDataLimit,
                    longName ? L"long file name too long" : L"pax header too long", data))
        return false;
      if (longName) {
        longNameText = data.substr(0, strnlen(data.c_str(), data.size()));
      } else if (!parsePaxRecords(data, pax)) {
        logError(L"bad pax header");
        return false;
      }
      if (!skipPadding(size, L"gzseek 4 failed") || !readHeader() || !readSize(size)) return false;
    }
    if (pax.hasSize) size = pax.size;
    if (!pax.path.empty()) {
      name = pax.path;
    } else if (!longNameText.empty()) {
      name = longNameText; // used as read, with its "/" separators
    } else {
      name = fieldText(header_ + kNameOffset, kNameLength);
      // Only the POSIX magic carries a prefix field; GNU archives use those bytes otherwise.
      std::string prefix = std::memcmp(header_ + kMagicOffset, "ustar\0", 6) == 0
                               ? fieldText(header_ + kPrefixOffset, kPrefixLength)
                               : std::string();
      if (!prefix.empty()) name = prefix + "/" + name;
      std::replace(name.begin(), name.end(), '/', '\\');
    }
    return true;
  }

  // The header's size field; sizes are at most 12 octal digits, so every skip count fits.
  bool readSize(uint64_t& size) {
    if (parseOctalField(header_ + kSizeOffset, kSizeLength, size)) return true;
    logError(L"bad size field");
    return false;
  }

  bool readData(uint64_t size, uint64_t limit, const wchar_t* tooLong, std::string& data) {
    if (size > limit) {
      logError(tooLong);
      return false;
    }
    data.assign(static_cast<size_t>(size), '\0');
    size_t done = 0;
    while (done < data.size()) {
      int got = input_.read(&data[done], static_cast<unsigned>(data.size() - done));
      if (got <= 0) {
        logError(L"gzread failed for long file name");
        return false;
      }
      done += static_cast<size_t>(got);
    }
    return true;
  }

  bool skipPadding(uint64_t size, const wchar_t* failure) {
    uint64_t rest = size % kTarBlock;
    if (rest == 0 || input_.skip(static_cast<int64_t>(kTarBlock - rest))) return true;
    logError(failure);
    return false;
  }

  int progressPosition() {
    if (expectedSize_ <= 0) return 100;
    return static_cast<int>(std::min<int64_t>(200, 100 + 100 * input_.position() / expectedSize_));
  }

  bool extractEntry(const std::string& name, uint64_t size) {
    logPrint(L"extracting %S (size %d)", name, static_cast<int>(size));
    std::unique_ptr<TarFileWriter> file = target_.createFile(name);
    if (!file) return false; // the target has said why
    std::vector<char> chunk(kTarCopyChunk);
    uint64_t written = 0;
    uint32_t lastProgress = target_.tickCount();
    while (written < size) {
      unsigned wanted = static_cast<unsigned>(std::min<uint64_t>(size - written, kTarCopyChunk));
      int got = input_.read(chunk.data(), wanted);
      if (got <= 0) break; // an error, or the stream ended early
      size_t stored = file->write(chunk.data(), static_cast<size_t>(got));
      written += stored;
      if (stored < static_cast<size_t>(got) || file->failed()) break;
      if (target_.tickCount() - lastProgress >= kProgressIntervalMs) {
        lastProgress = target_.tickCount();
        target_.setProgress(progressPosition());
      }
    }
    bool streamFailed = file->failed();
    if (!file->close()) streamFailed = true; // the last buffered bytes are written only now
    if (streamFailed) {
      logError(L"stream error");
      return false;
    }
    if (written < size) {
      logError(L"sizes don't match: %d, %d", static_cast<int>(written), static_cast<int>(size));
      return false;
    }
    return true;
  }

  GzipInput& input_;
  TarTarget& target_;
  int64_t expectedSize_;
  bool filesExtracted_ = false;
  bool result_ = false;
  char header_[kTarBlock] = {};
};

} // namespace

bool parseOctalField(const char* text, size_t length, uint64_t& value) {
  size_t i = 0;
  while (i < length && text[i] == ' ')
    ++i;
  value = 0;
  for (; i < length && text[i] >= '0' && text[i] <= '7'; ++i) {
    if (value > (UINT64_MAX >> 3)) return false;
    value = value * 8 + static_cast<uint64_t>(text[i] - '0');
  }
  return i == length || text[i] == '\0' || text[i] == ' ';
}

bool isSafeArchiveName(const std::string& name) {
  if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return false;
    start = end + 1;
  }
  return true;
}

bool parsePaxRecords(const std::string& data, PaxRecords& records) {
  size_t pos = 0;
  while (pos < data.size()) {
    size_t space = data.find(' ', pos);
    if (space == std::string::npos || space == pos || space - pos > 9) return false;
    size_t length = 0;
    for (size_t i = pos; i < space; ++i) {
      if (data[i] < '0' || data[i] > '9') return false;
      length = length * 10 + static_cast<size_t>(data[i] - '0');
    }
    if (length <= space - pos + 1 || length > data.size() - pos || data[pos + length - 1] != '\n') return false;
    std::string record = data.substr(space + 1, pos + length - 1 - (space + 1));
    size_t equals = record.find('=');
    if (equals == std::string::npos) return false;
    std::string key = record.substr(0, equals), value = record.substr(equals + 1);
    if (key == "path") {
      records.path = value;
    } else if (key == "size") {
      if (value.empty() || value.size() > 19 || value.find_first_not_of("0123456789") != std::string::npos)
        return false;
      records.size = std::stoull(value);
      if (records.size > static_cast<uint64_t>(INT64_MAX)) return false; // no skip could take it
      records.hasSize = true;
    }
    pos += length;
  }
  return true;
}

bool untarStream(GzipInput& input, TarTarget& target, int64_t expectedSize) {
  bool result = ArchiveReader(input, target, expectedSize).run();
  if (result)
    logPrint(L"untaring JRE was successful");
  else
    logError(L"untaring JRE was unsuccessful");
  return result;
}

} // namespace lnx
