#pragma once
// A tar input and a tar target in memory: the archive's bytes as the gzip reader delivers
// them, and the directories and files the reader created, with its progress.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/tar_reader.h"

namespace lnx::test {

// GzipFile's behaviour: a skip of no or a negative count does nothing, a skip past the end
// leaves the stream at its end.
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
    if (count > 0) at += static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(count), bytes.size() - at));
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

  struct Writer : TarFileWriter {
    std::string& content;
    explicit Writer(std::string& target) : content(target) {}
    size_t write(const char* data, size_t count) override {
      content.append(data, count);
      return count;
    }
    bool failed() override { return false; }
  };
  void createDirectory(const std::string& name) override { directories.push_back(name); }
  std::unique_ptr<TarFileWriter> createFile(const std::string& name) override {
    return std::make_unique<Writer>(files[name]);
  }
  void setProgress(int position) override { progress.push_back(position); }
  uint32_t tickCount() override { return ticks += 100; } // every call a tenth of a second later
};

} // namespace lnx::test
