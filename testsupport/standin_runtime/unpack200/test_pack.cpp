#include "test_pack.h"

namespace standin {
namespace {

const std::string packMagic = "LNXPACK1";
const char packKey = 0x5A;

} // namespace

std::optional<std::string> unpackTestPack(const std::string& packed) {
  if (packed.compare(0, packMagic.size(), packMagic) != 0)
    return std::nullopt;
  std::string jar = packed.substr(packMagic.size());
  for (char& byte : jar)
    byte = static_cast<char>(byte ^ packKey);
  return jar;
}

} // namespace standin
