#include "lnxpack/cli.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include <nlohmann/json.hpp>

#include "lnxpack/file_io.h"
#include "lnxpack/input_guard.h"
#include "lnxpack/inspect.h"
#include "lnxpack/inspect_print.h"
#include "lnxpack/names_print.h"
#include "lnxpack/payload_builder.h"
#include "lnxpack/project_file.h"
#include "lnxpack/project_schema.h"
#include "lnxpack/tool_error.h"
#include "text/utf16.h"

namespace lnx::pack {

namespace fs = std::filesystem;

namespace {

constexpr int kFailure = 2;
constexpr const char* kVersion = "lnxpack 1.0.0\n";

constexpr const char* kBuildHelp =
    "usage: lnxpack build PROJECT.json -o OUT.exe [--stub STUB.exe]\n"
    "Builds a setup file: the launcher stub with a payload of the project's configuration,\n"
    "messages, localised sets and files appended. The output appears only when complete and\n"
    "may not be one of the inputs; bad input gives one line and exit code 2.\n"
    "  -o OUT.exe        the setup file to write\n"
    "  --stub STUB.exe   the launcher stub, instead of the project's \"stub\": the 32-bit\n"
    "                    lnxlauncher.exe or the 64-bit lnxlauncher64.exe; a bundled\n"
    "                    runtime's jvm.dll must be of the same width\n";
constexpr const char* kInspectHelp =
    "usage: lnxpack inspect [--json] [--locale LOCALE] SETUP.exe\n"
    "Reads a setup file back as the launcher does: the launcher's width, payload header and\n"
    "checksum verdict, configuration, messages, localised sets, included files, Java-side\n"
    "data and the bundled runtime. Exit code 2 when the launcher would refuse the file.\n"
    "  --json            one JSON object; a failure is {\"error\": ...}\n"
    "  --locale LOCALE   apply the localised sets a launcher that chose LOCALE applies\n";
constexpr const char* kNamesHelp = "usage: lnxpack names\n"
                                   "Lists every configuration name a project file may use, with its id, kind\n"
                                   "(bool, int, text, wtext, version, letter) and meaning.\n";
constexpr const char* kSchemaHelp = "usage: lnxpack schema\n"
                                    "Prints the JSON Schema of the project file (docs/project.schema.json), made\n"
                                    "from the configuration catalogue; a project may name it in \"$schema\".\n";
constexpr const char* kUsage = "usage: lnxpack build PROJECT.json -o OUT.exe [--stub STUB.exe]\n"
                               "       lnxpack inspect [--json] [--locale LOCALE] SETUP.exe\n"
                               "       lnxpack names\n"
                               "       lnxpack schema\n"
                               "       lnxpack --version | [COMMAND] --help\n";

struct UsageError {
  std::string problem;
};

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values; // options that take a value
  std::set<std::string> flags;
};

Arguments parseArguments(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                         const std::set<std::string>& flagOptions, size_t files) {
  Arguments parsed;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (valueOptions.count(arg)) {
      if (i + 1 == args.size()) throw UsageError{arg + " needs a value"};
      if (!parsed.values.emplace(arg, args[++i]).second) throw UsageError{arg + " given twice"};
    } else if (flagOptions.count(arg)) {
      parsed.flags.insert(arg);
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError{"unknown option " + arg};
    } else {
      parsed.positional.push_back(arg);
    }
  }
  if (parsed.positional.size() != files)
    throw UsageError{args[0] + (files ? " takes exactly one file" : " takes no arguments")};
  return parsed;
}

std::optional<std::string> valueOf(const Arguments& parsed, const std::string& option) {
  auto it = parsed.values.find(option);
  return it == parsed.values.end() ? std::nullopt : std::optional<std::string>(it->second);
}

// The one line that reports the exception being handled.
std::string failureText() {
  try {
    throw;
  } catch (const UsageError& error) {
    return error.problem;
  } catch (const ToolError& error) {
    return error.file.string() + ": " + error.problem;
  } catch (const std::exception& error) { // out of memory on a huge file, and the like
    return error.what();
  }
}

int runBuild(const std::vector<std::string>& args, std::ostream& out) {
  Arguments parsed = parseArguments(args, {"-o", "--stub"}, {}, 1);
  std::optional<std::string> outputOption = valueOf(parsed, "-o");
  if (!outputOption) throw UsageError{"build needs -o OUT.exe"};
  fs::path output = fs::u8path(*outputOption);
  fs::path projectFile = fs::u8path(parsed.positional[0]);
  Project project = loadProject(projectFile);
  std::optional<std::string> stubOption = valueOf(parsed, "--stub");
  fs::path stub = stubOption ? fs::u8path(*stubOption) : project.stub;
  if (stub.empty()) throw ToolError{projectFile, "no stub: set \"stub\" in the project or pass --stub"};
  refuseOutputOverInputs(output, buildInputs(project, projectFile, stub));
  BuildSummary summary = buildSetup(project, stub, output);
  out << "lnxpack: wrote " << *outputOption << " (" << bitsOf(summary.launcher) << "-bit launcher, " << summary.files
      << " files, payload at " << summary.payloadStart << ", " << summary.setupSize << " bytes)\n";
  if (summary.droppedStubBytes)
    out << "lnxpack: dropped " << summary.droppedStubBytes << " bytes of COFF symbol and string table from "
        << stub.string() << "\n";
  return 0;
}

int inspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Arguments parsed = parseArguments(args, {"--locale"}, {"--json"}, 1);
  fs::path setupFile = fs::u8path(parsed.positional[0]);
  std::string locale = valueOf(parsed, "--locale").value_or("");
  InspectReport report = inspectSetup(readFileBytes(setupFile), setupFile, locale);
  if (parsed.flags.count("--json"))
    printReportJson(report, setupFile, locale, out);
  else
    printReportText(report, setupFile, locale, out);
  // A file the launcher would refuse fails the command, after everything readable is shown.
  std::string problem;
  if (report.error)
    problem = wideToUtf8(*report.error);
  else if (report.checksumVerdict == verdict::kMismatch || report.checksumVerdict == verdict::kTruncated)
    problem = "checksum " + report.checksumVerdict;
  if (problem.empty()) return 0;
  err << "lnxpack: " << setupFile.string() << ": " << problem << "\n";
  return kFailure;
}

// With --json, a failure before the report is one JSON object on out as well.
int runInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (std::find(args.begin(), args.end(), "--json") == args.end()) return inspect(args, out, err);
  try {
    return inspect(args, out, err);
  } catch (...) {
    std::string problem = failureText();
    out << nlohmann::json{{"error", problem}}.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    err << "lnxpack: " << problem << "\n";
    return kFailure;
  }
}

int runNames(const std::vector<std::string>& args, std::ostream& out) {
  parseArguments(args, {}, {}, 0);
  printConfigNames(out);
  return 0;
}

int runSchema(const std::vector<std::string>& args, std::ostream& out) {
  parseArguments(args, {}, {}, 0);
  out << projectSchema().dump(2) << '\n';
  return 0;
}

bool asksForHelp(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [](const std::string& arg) { return arg == "--help" || arg == "-h"; });
}

} // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    if (args.empty()) throw UsageError{"no command"};
    const std::string& command = args[0];
    const std::map<std::string, const char*> help = {
        {"build", kBuildHelp}, {"inspect", kInspectHelp}, {"names", kNamesHelp}, {"schema", kSchemaHelp}};
    if (command == "--version") {
      out << kVersion;
      return 0;
    }
    if (asksForHelp(args)) {
      auto it = help.find(command);
      out << (it == help.end() ? kUsage : it->second);
      return 0;
    }
    if (command == "build") return runBuild(args, out);
    if (command == "inspect") return runInspect(args, out, err);
    if (command == "names") return runNames(args, out);
    if (command == "schema") return runSchema(args, out);
    throw UsageError{"unknown command " + command};
  } catch (const UsageError& error) {
    err << "lnxpack: " << error.problem << "\n" << kUsage;
  } catch (...) {
    err << "lnxpack: " << failureText() << "\n";
  }
  return kFailure;
}

} // namespace lnx::pack
