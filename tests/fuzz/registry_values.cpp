// Registry value data read as REG_SZ, REG_MULTI_SZ and REG_DWORD; the texts read are
// written again and must read back the same (a text cut at the limit).
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "natives/registry_values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lnx;
  registryDword(data, size);

  std::u16string text = registryText(data, size);
  std::vector<uint8_t> textData = registryTextData(text);
  fuzz::check(registryText(textData.data(), textData.size()) == text.substr(0, kRegistryStringUnitLimit),
              "a text reads back as written, cut at the limit");

  std::vector<std::u16string> texts = registryTexts(data, size);
  if (std::optional<std::vector<uint8_t>> listData = registryTextsData(texts))
    fuzz::check(registryTexts(listData->data(), listData->size()) == texts, "a list reads back as written");
  return 0;
}
