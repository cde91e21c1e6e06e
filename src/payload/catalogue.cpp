#include "payload/catalogue.h"

namespace lnx {

const std::vector<ConfigInfo>& configCatalogue() {
  // Defaults are the values of a typical installer; entries without a default are only
  // stored when a project sets them.
  static const std::vector<ConfigInfo> catalogue = {
      {101, "unused101", nullptr, ConfigKind::Text,
       "present in typical payloads; the launcher does not read it"},
      {102, "redirectStderr", "1", ConfigKind::Flag,
       "redirect the Java side's standard error to stderrFile"},
      {103, "stderrFile", "error.log", ConfigKind::WideText,
       "standard-error file; variables expanded, relative to the launcher unless it starts with \"$\""},
      {104, "redirectStdout", "0", ConfigKind::Flag,
       "redirect the Java side's standard output to stdoutFile"},
      {105, "stdoutFile", "output.log", ConfigKind::WideText,
       "standard-output file, treated like stderrFile"},
      {106, "javaSideFlag", "0", ConfigKind::Flag,
       "passed to the Java side as \"true\" or \"false\" among the launcher arguments"},
      {107, "launcherType", "5", ConfigKind::Integer,
       "launcher type: 1 and 5 show errors in message boxes, others on standard error; 1 selects javaw.exe"},
      {108, "awtSplash", "0", ConfigKind::Flag,
       "configure the Java-side splash after the VM is created"},
      {121, "classPath", "", ConfigKind::Text,
       "class path entries added to the VM options"},
      {122, "mainClass", "com.lanternix.runtime.installer.Installer", ConfigKind::Text,
       "main class of the Java side"},
      {123, "vmOptions", "-Dfile.encoding=utf-8 -Dsun.java2d.noddraw=true", ConfigKind::WideText,
       "VM options, variables expanded, split like a command line"},
      {124, "defaultArguments", "", ConfigKind::WideText,
       "default program arguments, variables expanded"},
      {125, "jArgumentsAreVmOptions", "1", ConfigKind::Flag,
       "command-line arguments starting with -J are VM options"},
      {126, "minJavaVersion", "1.7", ConfigKind::Version,
       "minimum Java version"},
      {127, "maxJavaVersion", "", ConfigKind::Version,
       "maximum Java version, empty for none"},
      {128, "searchSequence", "Y;EJAVA_HOME;EJDK_HOME;", ConfigKind::Text,
       "runtime search sequence"},
      {130, "allowBeta", "0", ConfigKind::Flag,
       "allow beta runtimes"},
      {131, "requireJdk", "0", ConfigKind::Flag,
       "a JDK is required"},
      {132, "modulePath", "", ConfigKind::Text,
       "module path added to the VM options"},
      {133, "moduleMode", "0", ConfigKind::Flag,
       "module mode: the main class is passed with a leading \"/\" and the module path is added"},
      {146, "workingDirectory", ".", ConfigKind::WideText,
       "working directory, variables expanded, empty for unchanged"},
      {150, "downloadLocation", "", ConfigKind::WideText,
       "download location of a runtime archive, empty for none"},
      {151, "jreUncompressedSize", nullptr, ConfigKind::Integer,
       "uncompressed size in bytes of the bundled runtime archive, for the progress bar"},
      {152, "preferredVmDirectory", "", ConfigKind::Text,
       "preferred VM subdirectory of the runtime's bin directory (at most 199 characters)"},
      {153, "jrePacked", "0", ConfigKind::Flag,
       "the bundled runtime's jars are Pack200 files"},
      {155, "noStartupDialog", "1", ConfigKind::Flag,
       "no progress dialog at start"},
      {157, "downloadWithoutAsking", "0", ConfigKind::Flag,
       "download a runtime without asking when none is found"},
      {158, "globalSingleInstance", "0", ConfigKind::Flag,
       "single-instance semaphore in the global namespace"},
      {159, "noStartupTimeout", "0", ConfigKind::Flag,
       "no start-up timeout in the Java-window watcher"},
      {160, "applicationId", nullptr, ConfigKind::Text,
       "application id whose previous installation directories are searched for runtimes"},
      {161, "preferInstalledRuntime", "0", ConfigKind::Flag,
       "prefer an installed runtime to the bundled one"},
      {163, "splashFlag", "0", ConfigKind::Flag,
       "splash flag passed to the Java side"},
      {165, "skipJavaSoftKeys", "0", ConfigKind::Flag,
       "skip the JavaSoft registry keys in the runtime search"},
      {166, "readDefaultVmOptionsFile", "0", ConfigKind::Flag,
       "read the default VM options file"},
      {2001, "launcherFamily", "i", ConfigKind::FamilyLetter,
       "launcher family: \"i\" (lanternix names) or \"e\" (morva names)"},
      {2002, "includedFileCount", nullptr, ConfigKind::Integer,
       "number of included files; filled by the builder"},
      {2003, "includedFileNames", nullptr, ConfigKind::Text,
       "included file names separated by \";\"; filled by the builder"},
      {10003, "locationFilesDirectory", ".", ConfigKind::WideText,
       "directory of the runtime location files, relative to the launcher"},
      {10004, "nativeLibraryDirectories", "${launcher:sys.launcherTempDirectory}\\user", ConfigKind::Text,
       "native library directories separated by \";\", variables expanded"},
      {10005, "singleInstance", "0", ConfigKind::Flag,
       "single instance: a second start activates the running one"},
      {10007, "activateRunningInstance", "1", ConfigKind::Flag,
       "bring the running instance's windows to the front"},
      {10109, "splashLine1X", nullptr, ConfigKind::Integer,
       "splash text line 1: x position"},
      {10110, "splashLine1Y", nullptr, ConfigKind::Integer,
       "splash text line 1: y position"},
      {10111, "splashLine1Text", nullptr, ConfigKind::Text,
       "splash text line 1: text"},
      {10113, "splashLine1FontSize", nullptr, ConfigKind::Integer,
       "splash text line 1: font size"},
      {10114, "splashLine1Colour", nullptr, ConfigKind::Text,
       "splash text line 1: colour as three comma-separated numbers"},
      {10115, "splashLine1FontWeight", nullptr, ConfigKind::Integer,
       "splash text line 1: font weight"},
      {10116, "splashLine2X", nullptr, ConfigKind::Integer,
       "splash text line 2: x position"},
      {10117, "splashLine2Y", nullptr, ConfigKind::Integer,
       "splash text line 2: y position"},
      {10118, "splashLine2Text", nullptr, ConfigKind::Text,
       "splash text line 2: text"},
      {10120, "splashLine2FontSize", nullptr, ConfigKind::Integer,
       "splash text line 2: font size"},
      {10121, "splashLine2Colour", nullptr, ConfigKind::Text,
       "splash text line 2: colour as three comma-separated numbers"},
      {10122, "splashLine2FontWeight", nullptr, ConfigKind::Integer,
       "splash text line 2: font weight"},
      {10200, "versionOptionLineCount", nullptr, ConfigKind::Integer,
       "number of version-specific VM option lines; line k is 10201+2k (version prefix) and 10202+2k (options)"},
  };
  return catalogue;
}

std::wstring defaultMessageText(int id) {
  for (const MessageInfo& message : messageCatalogue())
    if (message.id == id) return message.defaultText;
  return std::wstring();
}

const std::vector<MessageInfo>& messageCatalogue() {
  static const std::vector<MessageInfo> catalogue = {
      {1000, L"Error"},
      {1001, L"No Java(TM) Runtime Environment was found on your system."},
      {1002, L"The Java(TM) Runtime Environment found on your system is damaged."},
      {1003, L"Please define MORVA_JAVA_HOME to point to an installed JDK or JRE."},
      {1004, L"The environment variable {0} does not point to a working JDK or JRE."},
      {1005, L"The JVM could not be started. The maximum heap size (-Xmx) might be too large or an antivirus or "
             L"firewall tool could block the execution."},
      {1006, L"File or directory {0} not found or empty\n"},
      {1007, L"Wrong Parameter Usage"},
      {1008, L"The environment variable {0} has to be defined"},
      {1009, L"An internal error occurred (error code: {0})"},
      {1010, L"Couldn't load main class."},
      {1011, L"Main method not found."},
      {1012, L"Error"},
      {1013, L"Ok"},
      {1014, L"An error occurred while starting up {0}:"},
      {1015, L"You must be at least Poweruser to run this program."},
      {1016, L"No JVM could be found on your system.\nPlease define MORVA_JAVA_HOME to point to an installed "
             L"{0}-bit JDK or JRE or download a JRE."},
      {1017, L"The {0} environment variable does not\npoint to a working 32-bit JDK or JRE."},
      {1018, L"The {0} environment variable does not\npoint to a working 64-bit JDK or JRE."},
      {1019, L"The JVM found at {0} is damaged.\nPlease reinstall or define MORVA_JAVA_HOME\nto point to an "
             L"installed 32-bit JDK or JRE."},
      {1020, L"The JVM found at {0} is damaged.\nPlease reinstall or define MORVA_JAVA_HOME\nto point to an "
             L"installed 64-bit JDK or JRE."},
      {20001, L"This application is downloading the Java(TM) Runtime Environment. Please wait."},
      {20002, L"Cannot initialize wininet.dll. Please install\nInternet Explorer 3.0 or higher."},
      {20003, L"Error downloading the Java(TM) Runtime Environment.\nPlease check your internet connection and "
              L"start setup again."},
      {20004, L"Please choose the file \"java.exe\" of the JRE"},
      {20005, L"The lanternix wizard could not find a Java(TM) Runtime Environment on your system. You can locate "
              L"or download a suitable %S-bit JRE."},
      {20006, L"The lanternix wizard could not find a Java(TM) Runtime Environment on your system. Please locate "
              L"a suitable %S-bit JRE."},
      {20007, L"This application is preparing the lanternix Wizard which will guide you through the rest of the "
              L"setup process."},
      {20008, L"%.2f MB of %.2f MB (%.1f%%) at %.1f kb/s"},
      {20009, L"Initializing connection ..."},
      {20010, L"Download"},
      {20011, L"Locate"},
      {20012, L"Cancel"},
      {20013, L"lanternix Wizard"},
      {20014, L"The Java(TM) VM could not be started. Please restart\nthe installation.You may use the parameter "
              L"\"/manual\"\nto download or manually select a different VM."},
      {20015, L"The installer did not start up correctly on the last run. Do you want to download or select a "
              L"Java(TM) Runtime Environment?"},
      {20016, L"The installation file is corrupted. If it is a download please try it again."},
      {20018, L"Not Enough Disk Space"},
      {20019, L"minimum version:"},
      {20020, L"maximum version:"},
  };
  return catalogue;
}

const char* configKindName(ConfigKind kind) {
  switch (kind) {
  case ConfigKind::Flag:
    return "bool";
  case ConfigKind::Integer:
    return "int";
  case ConfigKind::Text:
    return "text";
  case ConfigKind::WideText:
    return "wtext";
  case ConfigKind::Version:
    return "version";
  case ConfigKind::FamilyLetter:
    return "letter";
  }
  return "text";
}

const ConfigInfo* findConfigById(int id) {
  for (const ConfigInfo& info : configCatalogue())
    if (info.id == id) return &info;
  return nullptr;
}

const ConfigInfo* findConfigByName(const std::string& name) {
  for (const ConfigInfo& info : configCatalogue())
    if (name == info.name) return &info;
  return nullptr;
}

} // namespace lnx
