// The binding table and the launcher's look-ups against the classes of lnxruntime.jar.
#include "member_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace lnx {
namespace {

using jnifake::ClassFile;

const std::filesystem::path classDirectory = LNX_JAVA_CLASSES_DIR;
const std::string win32Package = "com/lanternix/runtime/installer/platform/win32/";

std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

ClassSource compiledClasses() {
  return [](const std::string& classPath) -> std::optional<ClassFile> {
    std::filesystem::path path = classDirectory / (classPath + ".class");
    if (!std::filesystem::exists(path)) return std::nullopt;
    std::optional<ClassFile> classFile = jnifake::parseClassFile(fileBytes(path));
    if (!classFile) throw std::runtime_error("damaged class file " + path.string());
    return classFile;
  };
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(CompiledClasses, AreJava8Bytecode) {
  size_t classCount = 0;
  for (const auto& item : std::filesystem::recursive_directory_iterator(classDirectory)) {
    if (item.path().extension() != ".class") continue;
    ++classCount;
    std::string bytes = fileBytes(item.path());
    ASSERT_GE(bytes.size(), 8u) << item.path();
    // Bytes 6 and 7 hold the major version, big-endian.
    EXPECT_EQ(52, static_cast<unsigned char>(bytes[6]) << 8 | static_cast<unsigned char>(bytes[7])) << item.path();
  }
  EXPECT_GE(classCount, nativeBindingTable().size());
}

TEST(CompiledClasses, NativesMatchTheBindingTable) {
  std::vector<std::string> failures = failedLookups(nativeLookups(nativeBindingTable()), compiledClasses());
  EXPECT_TRUE(failures.empty()) << joined(failures);
  std::vector<std::string> unbound = nativesOutsideTable(nativeBindingTable(), compiledClasses());
  EXPECT_TRUE(unbound.empty()) << joined(unbound);
}

TEST(CompiledClasses, HoldWhatTheLauncherAndTheNativesLookUp) {
  const std::string string = "Ljava/lang/String;";
  const std::vector<JavaMemberLookup> lookups = {
      {"com/lanternix/runtime/launcher/WinLauncher", MemberKind::StaticMethod, "main", "([" + string + ")V"},
      {"com/morva/runtime/WinLauncher", MemberKind::StaticMethod, "main", "([" + string + ")V"},
      {"com/morva/runtime/WinLauncher", MemberKind::StaticMethod, "initAwtSplashConfig",
       "(ZZ" + string + "II" + string + "II" + string + "II" + string + "II)V"},
      {win32Package + "Common", MemberKind::StaticMethod, "initFromLauncher", "(Z)V"},
      {"com/morva/runtime/util/WinDel", MemberKind::StaticField, "externalExecutable", string},
      {"com/lanternix/api/windows/WindowInfo", MemberKind::Constructor, "<init>", "(JI" + string + string + ")V"},
      {"com/lanternix/api/windows/WinRegistry$ExpandString", MemberKind::Constructor, "<init>",
       "(" + string + ")V"},
      {win32Package + "ObjectPicker$Result", MemberKind::Constructor, "<init>",
       "(" + string + string + string + string + string + ")V"},
  };
  std::vector<std::string> failures = failedLookups(lookups, compiledClasses());
  EXPECT_TRUE(failures.empty()) << joined(failures);
}

ClassSource classesFrom(const std::map<std::string, ClassFile>& classes) {
  return [classes](const std::string& classPath) -> std::optional<ClassFile> {
    auto found = classes.find(classPath);
    if (found == classes.end()) return std::nullopt;
    return found->second;
  };
}

TEST(BindingCheck, ReportsEveryDifferenceFromTheClasses) {
  const std::uint16_t staticNative = jnifake::kAccStatic | jnifake::kAccNative;
  ClassFile tool{"a/Tool", "java/lang/Object", 0, {},
                 {{"open", "(I)V", staticNative}, {"close", "()V", jnifake::kAccNative},
                  {"extra", "()J", staticNative}, {"helper", "()V", jnifake::kAccStatic}}};
  ClassFile stray{"a/Elsewhere", "java/lang/Object", 0, {{"counter", "I", 0}}, {}};
  ClassSource classes = classesFrom({{"a/Tool", tool}, {"a/Moved", stray}});
  const std::vector<NativeClassEntry> table = {
      {"a/Tool", {{"open", "(J)V", 16}, {"close", "()V", 8}}},
      {"a/Missing", {{"run", "()V", 8}}},
      {"a/Moved", {{"run", "()V", 8}}},
  };
  EXPECT_EQ((std::vector<std::string>{"a/Tool.open (J)V: no such member",
                                      "a/Tool.close ()V: not a static native method",
                                      "a/Missing.run ()V: class not found",
                                      "a/Moved.run ()V: the class file holds a/Elsewhere"}),
            failedLookups(nativeLookups(table), classes));
  EXPECT_EQ((std::vector<std::string>{"a/Tool.open (I)V: not in the table", "a/Tool.extra ()J: not in the table"}),
            nativesOutsideTable(table, classes));

  const std::vector<JavaMemberLookup> lookups = {
      {"a/Tool", MemberKind::StaticMethod, "helper", "()V"},
      {"a/Tool", MemberKind::StaticMethod, "close", "()V"},
      {"a/Tool", MemberKind::Constructor, "open", "(I)V"},
      {"a/Moved", MemberKind::StaticField, "counter", "I"},
      {"a/Tool", MemberKind::StaticField, "helper", "()V"},
  };
  EXPECT_EQ((std::vector<std::string>{"a/Tool.close ()V: not static", "a/Tool.open (I)V: not a constructor",
                                      "a/Moved.counter I: the class file holds a/Elsewhere",
                                      "a/Tool.helper ()V: no such member"}),
            failedLookups(lookups, classes));
}

} // namespace
} // namespace lnx
