#pragma once
// A tar input and a tar target in memory: the archive's bytes as the gzip reader delivers
// them, and the directories and files the reader created, with its progress. And tar blocks
// written by hand, so that every field is what a test says.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "runtime/tar_reader.h"

namespace lnx::test {

// GzipFile's behaviour over a stream that ends cleanly: a read at the end gives 0, a skip
// of no bytes does nothing, a negative one fails, and one past the end stops there (zlib's
// gzseek only notes a forward skip; the next read finds the end).
struct MemoryGzipInput : GzipInput {
  std::string bytes;
  size_t at = 0;
  explicit MemoryGzipInput(std::string content) : bytes(std::move(content)) {}
  int read(void* buffer, unsigned length) override {
    size_t count = std::min<size_t>(length, bytes.size() - at);
    if (count > 0) std::memcpy(buffer, bytes.data() + at, count);
    at += count;
    return static_cast<int>(count);
  }
  bool skip(int64_t count) override {
    if (count < 0) return false;
    at += static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(count), bytes.size() - at));
    return true;
  }
  int64_t position() override { return static_cast<int64_t>(at); }
  bool atEnd() override { return at == bytes.size(); }
};

struct MemoryTarTarget : TarTarget {
  std::vector<std::string> directories;
  std::map<std::string, std::string> files;
  std::vector<int> progress;
  uint32_t ticks = 0;
  std::set<std::string> uncreatable;  // names createFile refuses
  std::set<std::string> failingClose; // names whose final flush fails, as on a full disk

  struct Writer : TarFileWriter {
    std::string& content;
    bool closeFails;
    Writer(std::string& target, bool failsOnClose) : content(target), closeFails(failsOnClose) {}
    size_t write(const char* data, size_t count) override {
      content.append(data, count);
      return count;
    }
    bool failed() override { return false; }
    bool close() override { return !closeFails; }
  };
  void createDirectory(const std::string& name) override { directories.push_back(name); }
  std::unique_ptr<TarFileWriter> createFile(const std::string& name) override {
    if (uncreatable.count(name)) return nullptr;
    return std::make_unique<Writer>(files[name], failingClose.count(name) != 0);
  }
  void setProgress(int position) override { progress.push_back(position); }
  uint32_t tickCount() override { return ticks += 100; } // every call a tenth of a second later
};

inline std::string tarHeader(const std::string& name, char type, size_t size, const char* magic = "ustar  ",
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

inline std::string tarPadded(const std::string& data) {
  return data + std::string((kTarBlock - data.size() % kTarBlock) % kTarBlock, '\0');
}

inline std::string tarEntry(const std::string& name, char type, const std::string& data) {
  return tarHeader(name, type, data.size()) + tarPadded(data);
}

inline const std::string kTarEnd(2 * kTarBlock, '\0');

} // namespace lnx::test
