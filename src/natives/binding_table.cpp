#include "natives/binding_table.h"

namespace lnx {

namespace {

#define LNX_WIN32_PACKAGE "com/lanternix/runtime/installer/platform/win32/"

const std::vector<NativeClassEntry> bindingTable = {
    {LNX_WIN32_PACKAGE "ACLHandling",
     {
         {"addACE", "(Ljava/lang/String;ZZZZZILjava/lang/String;)Z", 40},
     }},
    {LNX_WIN32_PACKAGE "FileVersion",
     {
         {"compare0", "(Ljava/lang/String;Ljava/lang/String;)I", 16},
     }},
    {LNX_WIN32_PACKAGE "FolderInfo",
     {
         {"getSpecialFolder0", "(IZ)Ljava/lang/String;", 16},
         {"getPathFromRegistry0", "(Ljava/lang/String;)Ljava/lang/String;", 12},
         {"getWindowsDirectory0", "()Ljava/lang/String;", 8},
         {"getSystemDirectory0", "()Ljava/lang/String;", 8},
         {"getDriveType0", "(Ljava/lang/String;)I", 12},
         {"getShortPathName0", "(Ljava/lang/String;)Ljava/lang/String;", 12},
         {"getUniversalPathName0", "(Ljava/lang/String;)Ljava/lang/String;", 12},
     }},
    {LNX_WIN32_PACKAGE "Misc",
     {
         {"reboot0", "()V", 8},
         {"getRunningModules0", "(Z)[Ljava/lang/String;", 12},
         {"getEnvVarPairs0", "()[Ljava/lang/String;", 8},
         {"broadcastSettingChange0", "()V", 8},
         {"getPhysicalMemory0", "()J", 8},
         {"getFreeDiskSpace0", "(Ljava/lang/String;)J", 12},
         {"moveWithDelayUntilReboot0", "(Ljava/lang/String;Ljava/lang/String;)Z", 16},
         {"toFront0", "()V", 8},
         {"terminateProcesses0", "([IZI)I", 20},
         {"getWindowTitle0", "(I)Ljava/lang/String;", 12},
         {"setForegroundWindow0", "(J)V", 16},
         {"getTopLevelWindows0", "(Ljava/lang/Class;I)[Lcom/lanternix/api/windows/WindowInfo;", 16},
         {"getPidFromHandle0", "(J)I", 16},
     }},
    {LNX_WIN32_PACKAGE "ObjectPicker",
     {
         {"show0", "(ZZZZZ)[L" LNX_WIN32_PACKAGE "ObjectPicker$Result;", 28},
     }},
    {LNX_WIN32_PACKAGE "ShellLink",
     {
         {"createWide0",
          "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Z"
          "Ljava/lang/String;I)Z",
          40},
         {"changeNotify0", "([B[B)Z", 16},
         {"initialize0", "()Z", 8},
         {"uninitialize", "()Z", 8},
     }},
    {LNX_WIN32_PACKAGE "VistaFileChooser",
     {
         {"initialize0", "()V", 8},
         {"displayDialog0",
          "(JLjava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;IIZLjava/lang/String;"
          "[Ljava/lang/String;[Ljava/lang/String;I[Ljava/lang/String;[Z)[Ljava/lang/String;",
          68},
     }},
    {LNX_WIN32_PACKAGE "VistaTaskDialog",
     {
         {"show0",
          "(JLjava/lang/String;Ljava/lang/String;Ljava/lang/String;IIILjava/lang/String;[Ljava/lang/String;I)I",
          52},
     }},
    {LNX_WIN32_PACKAGE "Win32CommunicationBackend",
     {
         {"getInvalidHandle0", "()J", 8},
         {"createListener0", "(Ljava/lang/String;)J", 12},
         {"readDataBlock0", "(J)[B", 16},
         {"writeDataBlock0", "(J[B)Z", 20},
         {"connectClient0", "(Ljava/lang/String;)J", 12},
         {"connectNamedPipe0", "(J)Z", 16},
         {"disconnectNamedPipe0", "(J)V", 16},
         {"closeHandle0", "(J)V", 16},
         {"isProcessAlive0", "(I)Z", 12},
         {"getCurrentProcessId0", "()I", 8},
     }},
    {LNX_WIN32_PACKAGE "Win32Proxy",
     {
         {"getIEConfig0", "([Ljava/lang/String;)I", 12},
         {"getDefaultConfig0", "([Ljava/lang/String;)I", 12},
         {"getAutoProxyConfig0", "([Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;IIZ)J", 32},
         {"loadFunctions0", "()Z", 8},
     }},
    {LNX_WIN32_PACKAGE "Win32UserInfo",
     {
         {"isMemberOfGroup0", "(I)Z", 12},
         {"executeElevated0", "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;I)Z", 24},
         {"getElevationType0", "()I", 8},
         {"addUser0",
          "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;ZZ)"
          "Ljava/lang/String;",
          36},
         {"deleteUser0", "(Ljava/lang/String;Ljava/lang/String;)I", 16},
         {"deleteLocalGroup0", "(Ljava/lang/String;Ljava/lang/String;)I", 16},
         {"getAccountName0", "(Ljava/lang/String;Z)Ljava/lang/String;", 16},
         {"getUserProfileDirectory0", "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;", 16},
         {"getUserSid0", "()Ljava/lang/String;", 8},
         {"setLsaAccountRight0", "(Ljava/lang/String;Ljava/lang/String;Z)Z", 20},
     }},
    {LNX_WIN32_PACKAGE "Registry",
     {
         {"keyExists0", "(ILjava/lang/String;I)Z", 20},
         {"createKey0", "(ILjava/lang/String;I)Z", 20},
         {"getValue0", "(ILjava/lang/String;Ljava/lang/String;I)Ljava/lang/Object;", 24},
         {"setValue0", "(ILjava/lang/String;Ljava/lang/String;Ljava/lang/Object;II)Z", 32},
         {"deleteValue0", "(ILjava/lang/String;Ljava/lang/String;I)V", 24},
         {"deleteKey0", "(ILjava/lang/String;ZI)V", 24},
         {"saveKey0", "(ILjava/lang/String;Ljava/lang/String;I)Z", 24},
         {"restoreKey0", "(ILjava/lang/String;Ljava/lang/String;I)Z", 24},
         {"enumSubKeys0", "(ILjava/lang/String;I)[Ljava/lang/String;", 20},
         {"enumValues0", "(ILjava/lang/String;I)[Ljava/lang/String;", 20},
         {"changeNotifyAssociations0", "()V", 8},
     }},
    {LNX_WIN32_PACKAGE "Win32Exec",
     {
         {"launch0", "(Ljava/lang/String;Ljava/lang/String;)I", 16},
     }},
    {LNX_WIN32_PACKAGE "Win32Handle",
     {
         {"list0", "()[Ljava/lang/Object;", 8},
         {"close0", "(I)Z", 12},
         {"getDeviceName0", "(Ljava/lang/String;)Ljava/lang/String;", 12},
     }},
    {LNX_WIN32_PACKAGE "Win32Services",
     {
         {"installService0", "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)I", 20},
         {"changeServiceConfig0",
          "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;IILjava/lang/String;Ljava/lang/String;"
          "Ljava/lang/String;Ljava/lang/String;)I",
          44},
         {"setRestartServiceConfig0", "(Ljava/lang/String;ZI)I", 20},
         {"setDelayedAutoStart0", "(Ljava/lang/String;Z)I", 16},
         {"stopService0", "(Ljava/lang/String;I)I", 16},
         {"startService0", "(Ljava/lang/String;[Ljava/lang/String;)I", 16},
         {"uninstallService0", "(Ljava/lang/String;)I", 12},
         {"queryStatus0", "(Ljava/lang/String;)I", 12},
         {"getStartType0", "(Ljava/lang/String;)I", 12},
         {"getServiceBinary0", "(Ljava/lang/String;)Ljava/lang/String;", 12},
     }},
};

#undef LNX_WIN32_PACKAGE

// Length of the field type at the start of text ("I", "[J", "Ljava/lang/String;"), 0 when
// text does not start with one.
size_t fieldTypeLength(std::string_view text) {
  size_t dimensions = 0;
  while (dimensions < text.size() && text[dimensions] == '[') ++dimensions;
  if (dimensions == text.size()) return 0;
  switch (text[dimensions]) {
  case 'B': case 'C': case 'D': case 'F': case 'I': case 'J': case 'S': case 'Z':
    return dimensions + 1;
  case 'L': {
    size_t end = text.find_first_of(";()", dimensions + 1);
    if (end == std::string_view::npos || text[end] != ';' || end == dimensions + 1) return 0;
    return end + 1;
  }
  default:
    return 0;
  }
}

} // namespace

const std::vector<NativeClassEntry>& nativeBindingTable() { return bindingTable; }

std::string undecoratedName(std::string_view classPath, std::string_view method) {
  std::string name = "Java_";
  for (char c : classPath) name += c == '/' ? '_' : c;
  name += '_';
  name += method;
  return name;
}

std::string decoratedExportName(std::string_view classPath, std::string_view method, int argumentBytes) {
  return "_" + undecoratedName(classPath, method) + "@" + std::to_string(argumentBytes);
}

std::string exportNameFor(size_t pointerBytes, std::string_view classPath, std::string_view method,
                          int argumentBytes) {
  return pointerBytes == 8 ? undecoratedName(classPath, method)
                           : decoratedExportName(classPath, method, argumentBytes);
}

std::string nativeExportName(std::string_view classPath, std::string_view method, int argumentBytes) {
  return exportNameFor(sizeof(void*), classPath, method, argumentBytes);
}

std::optional<int> argumentBytesOfDescriptor(std::string_view descriptor) {
  if (descriptor.empty() || descriptor[0] != '(') return std::nullopt;
  int bytes = 8;
  size_t position = 1;
  while (position < descriptor.size() && descriptor[position] != ')') {
    size_t length = fieldTypeLength(descriptor.substr(position));
    if (length == 0) return std::nullopt;
    bool wide = length == 1 && (descriptor[position] == 'J' || descriptor[position] == 'D');
    bytes += wide ? 8 : 4;
    position += length;
  }
  if (position == descriptor.size()) return std::nullopt;
  std::string_view result = descriptor.substr(position + 1);
  bool validResult = result == "V" || (!result.empty() && fieldTypeLength(result) == result.size());
  if (!validResult) return std::nullopt;
  return bytes;
}

} // namespace lnx
