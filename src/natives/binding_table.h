#pragma once
// The NativeBindingTable: every Java class whose natives the launcher binds with
// RegisterNatives, in registration order, each with its methods in the order of its
// native-method array. Data only: the Windows side pairs each method with the function the
// executable exports under nativeExportName().
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lnx {

struct NativeMethodEntry {
  const char* name;       // Java method name
  const char* descriptor; // JNI descriptor, exactly as registered
  int argumentBytes;      // stdcall argument bytes, the number after "@" of the export name
};

struct NativeClassEntry {
  const char* classPath; // JNI internal form, with "/"
  std::vector<NativeMethodEntry> methods;
};

const std::vector<NativeClassEntry>& nativeBindingTable();

// "Java_" + the class path with "/" turned into "_" + "_" + the method name. No class or
// method of the table contains "_", "$" or non-ASCII characters, so JNI's escapes for them
// are never needed.
std::string undecoratedName(std::string_view classPath, std::string_view method);

// The stdcall export name: "_" + undecoratedName() + "@" + the argument bytes.
std::string decoratedExportName(std::string_view classPath, std::string_view method, int argumentBytes);

// The name a native is exported under by a launcher of the given pointer width: the stdcall
// name on 32-bit Windows, the plain JNI name on 64-bit Windows, which has one calling
// convention and no decoration.
std::string exportNameFor(size_t pointerBytes, std::string_view classPath, std::string_view method,
                          int argumentBytes);

// exportNameFor() this build's width: the name registration and the tests look up.
std::string nativeExportName(std::string_view classPath, std::string_view method, int argumentBytes);

// Argument bytes of a static native on 32-bit Windows: 8 for the JNIEnv* and the class,
// 8 for each long or double, 4 for any other argument (references and arrays included).
// Empty for a malformed descriptor.
std::optional<int> argumentBytesOfDescriptor(std::string_view descriptor);

} // namespace lnx
