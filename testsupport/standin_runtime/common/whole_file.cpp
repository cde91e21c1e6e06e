#include "whole_file.h"

#include <windows.h>

namespace standin {

std::optional<std::string> readWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return std::nullopt;
  std::optional<std::string> content;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.HighPart == 0) {
    std::string bytes(size.LowPart, '\0');
    DWORD read = 0;
    if (ReadFile(file, bytes.data(), size.LowPart, &read, nullptr) && read == size.LowPart)
      content = std::move(bytes);
  }
  CloseHandle(file);
  return content;
}

bool writeWholeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  bool complete = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  if (!complete)
    DeleteFileW(path.c_str());
  return complete;
}

} // namespace standin
