#include "natives/registry_values.h"

namespace lnx {

namespace {

char16_t unitAt(const uint8_t* data, size_t index) {
  return static_cast<char16_t>(data[2 * index] | data[2 * index + 1] << 8);
}

void appendUnits(std::vector<uint8_t>& data, const std::u16string& text) {
  for (char16_t unit : text) {
    data.push_back(static_cast<uint8_t>(unit & 0xFF));
    data.push_back(static_cast<uint8_t>(unit >> 8));
  }
}

} // namespace

std::u16string registryText(const uint8_t* data, size_t size) {
  size_t units = size / 2;
  if (units > 0 && unitAt(data, units - 1) == 0)
    --units;
  std::u16string text;
  for (size_t index = 0; index < units; ++index)
    text.push_back(unitAt(data, index));
  return text;
}

std::vector<std::u16string> registryTexts(const uint8_t* data, size_t size) {
  std::vector<std::u16string> texts;
  size_t units = size / 2;
  size_t end = units > 0 ? units - 1 : 0;
  size_t position = 0;
  while (position < end) {
    std::u16string text;
    while (position < end && unitAt(data, position) != 0)
      text.push_back(unitAt(data, position++));
    texts.push_back(std::move(text));
    ++position; // past the terminator
  }
  return texts;
}

int32_t registryDword(const uint8_t* data, size_t size) {
  uint32_t value = 0;
  for (size_t index = 0; index < 4 && index < size; ++index)
    value |= static_cast<uint32_t>(data[index]) << (8 * index);
  return static_cast<int32_t>(value);
}

std::vector<uint8_t> registryTextData(const std::u16string& text) {
  std::vector<uint8_t> data;
  appendUnits(data, text.substr(0, kRegistryStringUnitLimit));
  appendUnits(data, std::u16string(1, u'\0'));
  return data;
}

std::optional<std::vector<uint8_t>> registryTextsData(const std::vector<std::u16string>& texts) {
  std::vector<uint8_t> data;
  size_t usedUnits = 0;
  for (const std::u16string& text : texts) {
    if (text.empty() || usedUnits + text.size() + 2 > kRegistryMultiStringUnitLimit)
      return std::nullopt;
    appendUnits(data, text + u'\0');
    usedUnits += text.size() + 1;
  }
  appendUnits(data, std::u16string(1, u'\0'));
  return data;
}

} // namespace lnx
