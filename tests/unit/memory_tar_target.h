#pragma once
// A tar target in memory: the directories and files the reader created, and its progress.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/tar_reader.h"

namespace lnx::test {

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
