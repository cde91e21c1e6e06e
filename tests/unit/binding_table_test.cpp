#include "natives/binding_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace lnx {
namespace {

const std::string packagePrefix = "com/lanternix/runtime/installer/platform/win32/";

TEST(BindingTable, FifteenClassesInRegistrationOrder) {
  const std::vector<std::pair<std::string, size_t>> expected = {
      {"ACLHandling", 1},
      {"FileVersion", 1},
      {"FolderInfo", 7},
      {"Misc", 13},
      {"ObjectPicker", 1},
      {"ShellLink", 4},
      {"VistaFileChooser", 2},
      {"VistaTaskDialog", 1},
      {"Win32CommunicationBackend", 10},
      {"Win32Proxy", 4},
      {"Win32UserInfo", 10},
      {"Registry", 11},
      {"Win32Exec", 1},
      {"Win32Handle", 3},
      {"Win32Services", 10},
  };
  const std::vector<NativeClassEntry>& table = nativeBindingTable();
  ASSERT_EQ(expected.size(), table.size());
  size_t methodCount = 0;
  for (size_t index = 0; index < table.size(); ++index) {
    EXPECT_EQ(packagePrefix + expected[index].first, table[index].classPath);
    EXPECT_EQ(expected[index].second, table[index].methods.size()) << table[index].classPath;
    methodCount += table[index].methods.size();
  }
  EXPECT_EQ(79u, methodCount);
}

TEST(BindingTable, MethodsInNativeArrayOrder) {
  const std::vector<NativeClassEntry>& table = nativeBindingTable();
  ASSERT_EQ(15u, table.size());
  const NativeClassEntry& misc = table[3];
  ASSERT_EQ(13u, misc.methods.size());
  EXPECT_STREQ("reboot0", misc.methods.front().name);
  EXPECT_STREQ("toFront0", misc.methods[7].name);
  EXPECT_STREQ("getPidFromHandle0", misc.methods.back().name);
  const NativeClassEntry& shellLink = table[5];
  ASSERT_EQ(4u, shellLink.methods.size());
  EXPECT_STREQ("uninitialize", shellLink.methods[3].name);
  const NativeClassEntry& registry = table[11];
  ASSERT_EQ(11u, registry.methods.size());
  EXPECT_STREQ("keyExists0", registry.methods.front().name);
  EXPECT_STREQ("changeNotifyAssociations0", registry.methods.back().name);
  EXPECT_STREQ("getServiceBinary0", table.back().methods.back().name);
}

TEST(BindingTable, ByteCountsFollowFromTheDescriptors) {
  for (const NativeClassEntry& entry : nativeBindingTable()) {
    for (const NativeMethodEntry& method : entry.methods) {
      std::optional<int> bytes = argumentBytesOfDescriptor(method.descriptor);
      ASSERT_TRUE(bytes.has_value()) << entry.classPath << "." << method.name << " " << method.descriptor;
      EXPECT_EQ(*bytes, method.argumentBytes) << entry.classPath << "." << method.name;
    }
  }
}

TEST(BindingTable, ExportNamesAreUnique) {
  std::set<std::string> exportNames;
  for (const NativeClassEntry& entry : nativeBindingTable()) {
    std::set<std::string> methodNames;
    for (const NativeMethodEntry& method : entry.methods) {
      // The export name leaves out the descriptor, so one name per class.
      EXPECT_TRUE(methodNames.insert(method.name).second) << entry.classPath << "." << method.name;
      for (size_t pointerBytes : {4, 8}) {
        std::string exportName = exportNameFor(pointerBytes, entry.classPath, method.name, method.argumentBytes);
        EXPECT_TRUE(exportNames.insert(exportName).second) << exportName;
      }
    }
  }
  EXPECT_EQ(2 * 79u, exportNames.size());
}

// 32-bit Windows decorates a stdcall function's name; 64-bit Windows does not, and a
// 64-bit VM looking for "_Java_...@12" would bind nothing.
TEST(BindingTable, ExportNamesFollowTheLauncherWidth) {
  const char* misc = "com/lanternix/runtime/installer/platform/win32/Misc";
  EXPECT_EQ("_Java_com_lanternix_runtime_installer_platform_win32_Misc_getFreeDiskSpace0@12",
            exportNameFor(4, misc, "getFreeDiskSpace0", 12));
  EXPECT_EQ("Java_com_lanternix_runtime_installer_platform_win32_Misc_getFreeDiskSpace0",
            exportNameFor(8, misc, "getFreeDiskSpace0", 12));
}

bool isPlainIdentifier(const std::string& name) {
  if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

TEST(BindingTable, NoNameNeedsJniEscapes) {
  for (const NativeClassEntry& entry : nativeBindingTable()) {
    std::istringstream path(entry.classPath);
    for (std::string part; std::getline(path, part, '/');)
      EXPECT_TRUE(isPlainIdentifier(part)) << entry.classPath;
    for (const NativeMethodEntry& method : entry.methods)
      EXPECT_TRUE(isPlainIdentifier(method.name)) << entry.classPath << "." << method.name;
  }
}

TEST(ExportNames, DecoratedAndUndecoratedForms) {
  EXPECT_EQ("_Java_com_lanternix_runtime_installer_platform_win32_Registry_getValue0@24",
            decoratedExportName(packagePrefix + "Registry", "getValue0", 24));
  EXPECT_EQ("Java_com_lanternix_runtime_installer_platform_win32_ACLHandling_addACE",
            undecoratedName(packagePrefix + "ACLHandling", "addACE"));
  EXPECT_EQ("_Java_a_B_c@8", decoratedExportName("a/B", "c", 8));
}

TEST(ArgumentBytes, EightPlusFourOrEightPerArgument) {
  EXPECT_EQ(8, argumentBytesOfDescriptor("()V"));
  EXPECT_EQ(12, argumentBytesOfDescriptor("(I)[[Ljava/lang/String;"));
  EXPECT_EQ(16, argumentBytesOfDescriptor("(J)V"));
  EXPECT_EQ(16, argumentBytesOfDescriptor("(D)D"));
  EXPECT_EQ(36, argumentBytesOfDescriptor("(BCFSZ[J[D)I"));
  EXPECT_EQ(24, argumentBytesOfDescriptor("(Ljava/lang/Object;[[IJ)Z"));
}

TEST(ArgumentBytes, MalformedDescriptorsHaveNone) {
  for (const char* descriptor : {"", "V", "I)V", "(", "()", "(I", "(I)", "(X)V", "(L;)V", "(Ljava/lang/String)V", "([)V",
                                 "()[", "(I)VV", "(I)Ljava/lang/String", "()Q"})
    EXPECT_EQ(std::nullopt, argumentBytesOfDescriptor(descriptor)) << descriptor;
}

} // namespace
} // namespace lnx
