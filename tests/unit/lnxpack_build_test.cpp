// lnxpack end to end on the host: build a setup file from a project, read it back with
// inspect, and check the bytes on disk against an independent reading.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <unistd.h>
#include <zlib.h>

#include "lnxpack_fixture.h"
#include "payload/byte_source.h"
#include "payload/record_reader.h"
#include "test_payload.h"

namespace lnx::pack {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using Bytes = std::vector<uint8_t>;

using test::kBinary;
using test::kJavaData;

using LnxpackBuild = test::LnxpackDir;

const char* kFullProject = R"({
  "stub": "stub.exe",
  "rawIds": true, // message 30000
  // every kind of configuration value
  "config": { "mainClass": "demo.Main", "127": "1.9", "jreUncompressedSize": 70266880,
              "noStartupTimeout": true, "redirectStderr": false, "launcherType": null },
  "messages": { "1000": "Fehler", "1013": null, "30000": "extra \u2713" },
  "localisedSets": [ { "locale": "zh", "messages": { "20016": "\u635f\u574f", "20013": "\u5411\u5bfc" } },
                     { "locale": "zh_CN", "messages": { "20013": "CN" } } ],
  "files": [ { "name": "a.txt", "source": "src/a.txt" }, { "name": "dir\\b.bin", "source": "src/b.bin" },
             { "name": "empty.txt", "source": "src/empty.txt" } ],
  "javaData": "src/java.bin"
})";

TEST_F(LnxpackBuild, RoundTripThroughInspect) {
  ASSERT_EQ(build(kFullProject), 0) << err_.str();
  Bytes setup = read("setup.exe");
  Json report = inspect();
  ASSERT_EQ(exitCode_, 0) << err_.str();

  uint32_t start = report["payloadStart"];
  EXPECT_EQ(start, stub_.size());
  EXPECT_TRUE(std::equal(stub_.begin(), stub_.end(), setup.begin()));
  EXPECT_TRUE(report["magicOk"].get<bool>());
  EXPECT_EQ(report["checksumFlag"], 1);
  EXPECT_EQ(report["checksumVerdict"], "ok");
  EXPECT_EQ(report["coveredLength"], setup.size() - start - 20);
  EXPECT_EQ(report["checksum"],
            crc32(0, setup.data() + start + 20, static_cast<uInt>(setup.size() - start - 20)));

  const Json& config = report["config"];
  EXPECT_EQ(config["122"], "demo.Main");
  EXPECT_EQ(config["127"], "1.9");
  EXPECT_EQ(config["151"], "70266880");
  EXPECT_EQ(config["159"], "1");
  EXPECT_EQ(config["102"], "0");
  EXPECT_FALSE(config.contains("107"));
  EXPECT_EQ(config["126"], "1.7"); // a default left alone
  EXPECT_EQ(config["2002"], "3");
  EXPECT_EQ(config["2003"], "a.txt;dir\\b.bin;empty.txt");

  EXPECT_EQ(report["messages"]["1000"], "Fehler");
  EXPECT_FALSE(report["messages"].contains("1013"));
  EXPECT_EQ(report["messages"]["30000"], "extra \u2713");
  EXPECT_EQ(report["messages"]["20016"],
            "The installation file is corrupted. If it is a download please try it again.");
  ASSERT_EQ(report["localisedSets"].size(), 2u);
  EXPECT_EQ(report["localisedSets"][0]["locale"], "zh");
  EXPECT_EQ(report["localisedSets"][0]["messages"]["20013"], "\u5411\u5bfc");
  Json chinese = inspect("zh_CN");
  EXPECT_EQ(chinese["messages"]["20016"], "\u635f\u574f");
  EXPECT_EQ(chinese["messages"]["20013"], "CN"); // the later matching set wins

  // Records follow the tables without gaps; stored bytes are masked with 0xA7.
  const Json& files = report["files"];
  ASSERT_EQ(files.size(), 3u);
  uint64_t expectedOffset = report["tablesEnd"].get<uint64_t>() + 8;
  std::vector<Bytes> contents = {{'h', 'e', 'l', 'l', 'o'}, kBinary, {}};
  for (size_t i = 0; i < files.size(); ++i) {
    uint64_t offset = files[i]["dataOffset"];
    EXPECT_EQ(offset, expectedOffset);
    ASSERT_EQ(files[i]["size"], contents[i].size());
    for (size_t b = 0; b < contents[i].size(); ++b) EXPECT_EQ(setup[offset + b] ^ 0xA7, contents[i][b]);
    expectedOffset = offset + contents[i].size() + 8;
  }
  EXPECT_EQ(files[1]["name"], "dir\\b.bin");

  // The Java-side data follows unmasked where the launcher's unextracted position points.
  uint32_t unextracted = report["unextractedPosition"];
  EXPECT_EQ(unextracted, expectedOffset - 8);
  EXPECT_EQ(report["recordsEndPayloadOffset"], unextracted - start);
  EXPECT_EQ(report["javaDataLength"], kJavaData.size());
  EXPECT_EQ(Bytes(setup.begin() + unextracted, setup.end()), kJavaData);
}

TEST_F(LnxpackBuild, TablesAreWrittenInAscendingIdOrder) {
  ASSERT_EQ(build(kFullProject), 0) << err_.str();
  Bytes setup = read("setup.exe");
  MemoryByteSource source(setup);
  RecordReader reader(source);
  reader.seek(stub_.size() + 20);
  for (bool wide : {false, true}) {
    int32_t count = reader.readInt(), previous = -1;
    ASSERT_GT(count, 3);
    for (int32_t i = 0; i < count; ++i) {
      int32_t id = reader.readInt();
      EXPECT_GT(id, previous);
      previous = id;
      wide ? (void)reader.readWString() : (void)reader.readString();
    }
  }
}

TEST_F(LnxpackBuild, WithoutDefaultsChecksumOrFiles) {
  ASSERT_EQ(build(R"({ "stub": "stub.exe", "defaults": false, "checksum": false, "rawIds": true, "config": { "7": "x" } })"),
            0);
  Json report = inspect();
  EXPECT_EQ(exitCode_, 0);
  EXPECT_EQ(report["config"], Json({{"7", "x"}, {"2002", "0"}, {"2003", ""}}));
  EXPECT_TRUE(report["messages"].empty());
  EXPECT_EQ(report["checksumFlag"], 0);
  EXPECT_EQ(report["checksum"], 0);
  EXPECT_EQ(report["checksumVerdict"], "not stored");
  EXPECT_EQ(report["unextractedPosition"], 0); // the launcher records nothing without files
  EXPECT_EQ(report["recordsEndPayloadOffset"], report["tablesEnd"].get<uint64_t>() - stub_.size());
}

TEST_F(LnxpackBuild, InspectReportsDamage) {
  ASSERT_EQ(build(kFullProject), 0) << err_.str();
  const Bytes good = read("setup.exe");
  const size_t start = stub_.size();

  Bytes flipped = good;
  flipped.back() ^= 1;
  write("setup.exe", flipped);
  EXPECT_EQ(inspect()["checksumVerdict"], "MISMATCH");
  EXPECT_EQ(exitCode_, 2);
  EXPECT_NE(err_.str().find("checksum MISMATCH"), std::string::npos);

  write("setup.exe", Bytes(good.begin(), good.end() - 1));
  Json cut = inspect();
  EXPECT_EQ(cut["checksumVerdict"], "file ends inside the covered range");
  EXPECT_EQ(cut["javaDataLength"], kJavaData.size() - 1);
  EXPECT_EQ(exitCode_, 2);

  write("setup.exe",
        Bytes(good.begin(), good.begin() + start + 32)); // the first value's length, not its text
  Json truncated = inspect();
  EXPECT_EQ(exitCode_, 2);
  EXPECT_EQ(truncated["coveredLength"], good.size() - start - 20); // the header still shows
  EXPECT_FALSE(truncated.contains("config"));
  EXPECT_EQ(truncated["error"], "Internal Error: readString");
  EXPECT_NE(err_.str().find("setup.exe: Internal Error: readString"), std::string::npos);

  Bytes wrongMagic = good;
  wrongMagic[start] ^= 0xFF;
  write("setup.exe", wrongMagic);
  Json magic = inspect();
  EXPECT_FALSE(magic["magicOk"].get<bool>());
  EXPECT_EQ(magic["error"].get<std::string>().rfind("no payload: ", 0), 0u);
  EXPECT_NE(magic["error"].get<std::string>().find("\"Internal Error: magic\""), std::string::npos);
  EXPECT_EQ(exitCode_, 2);
}

TEST_F(LnxpackBuild, BadProjectsFailWithoutLeavingOutput) {
  struct Case {
    const char* project;
    const char* problem;
  };
  const Case cases[] = {
      {R"({ "stub": "stub.exe", "config": { "noSuchName": "1" } })",
       "neither a configuration name nor a decimal id"},
      {R"({ "stub": "stub.exe", "config": { "mainClass": 1.5 } })",
       "must be a string, not number"},
      {R"({ "stub": "stub.exe", "config": { "mainClass": "a", "122": "b" } })", "given twice"},
      {R"({ "stub": "stub.exe", "config": { "includedFileCount": 3 } })", "filled from \"files\""},
      {R"({ "stub": "stub.exe", "config": { "2003": "x" } })", "filled from \"files\""},
      {R"({ "stub": "stub.exe", "messages": { "abc": "x" } })", "is not a decimal id"},
      {R"({ "stub": "stub.exe", "messages": { "1000": 5 } })", "a message must be a string or null"},
      {R"({ "stub": "stub.exe", "config": { "mainClass": "\u4e2d" } })", "outside the narrow code page"},
      {R"({ "stub": "stub.exe", "files": [ { "name": "a\\b\\c.txt", "source": "src/a.txt" } ] })",
       "more than one directory level"},
      {R"({ "stub": "stub.exe", "files": [ { "name": "", "source": "src/a.txt" } ] })", "the name is empty"},
      {R"({ "stub": "stub.exe", "files": [ { "name": "a;b", "source": "src/a.txt" } ] })", "contains \";\""},
      {R"({ "stub": "stub.exe", "files": [ { "name": "a/b", "source": "src/a.txt" } ] })", "cannot hold"},
      {R"({ "stub": "stub.exe", "files": [ { "name": "A.txt", "source": "src/a.txt" },
                                           { "name": "a.TXT", "source": "src/a.txt" } ] })",
       "included twice"},
      {R"({ "stub": "stub.exe", "fils": [] })", "unknown key \"fils\""},
      {R"({ "stub": "stub.exe", "checksum": "yes" })", "must be boolean, not string"},
      {R"({ "stub": "stub.exe", )", "invalid JSON"},
      {R"({ "stub": "stub.exe", "checksum": 1e999 })", "invalid JSON: number overflow parsing '1e999'"},
      {R"({ })", "no stub"},
      // What the launcher will read, checked against the catalogue.
      {R"({ "stub": "stub.exe", "config": { "7": "x" } })", "the launcher reads no configuration 7"},
      {R"({ "stub": "stub.exe", "config": { "versionOptionLineCount": 1, "10201": "1.8", "10203": "9" } })",
       "the launcher reads no configuration 10203"},
      {R"({ "stub": "stub.exe", "messages": { "30000": "x" } })", "\"30000\" is no message id"},
      {R"({ "stub": "stub.exe", "localisedSets": [ { "locale": "zh", "messages": { "20017": "x" } } ] })",
       "\"20017\" is no message id"},
      {R"({ "stub": "stub.exe", "config": { "singleInstance": "yes" } })", "must be true or false"},
      {R"({ "stub": "stub.exe", "config": { "redirectStderr": 2 } })", "must be true or false"},
      {R"({ "stub": "stub.exe", "config": { "launcherType": "5x" } })", "must be a whole number"},
      {R"({ "stub": "stub.exe", "config": { "107": 4294967296 } })", "must be a whole number"},
      {R"({ "stub": "stub.exe", "config": { "minJavaVersion": "1.8+" } })", "must be a Java version"},
      {R"({ "stub": "stub.exe", "config": { "maxJavaVersion": "java8" } })", "must be a Java version"},
      {R"({ "stub": "stub.exe", "config": { "launcherFamily": "x" } })", "must be \"i\""},
      {R"({ "stub": "stub.exe", "config": { "mainClass": true } })", "must be a string, not boolean"},
      {R"({ "stub": "stub.exe", "localisedSets": [ { "locale": "zh-CN", "messages": {} } ] })",
       "\"zh-CN\" is not a locale name the launcher matches"},
      {R"({ "stub": "stub.exe", "localisedSets": [ { "locale": "ZH", "messages": {} } ] })",
       "two-letter language in lower case"},
      {R"({ "stub": "stub.exe", "localisedSets": [ { "locale": "", "messages": {} } ] })",
       "messages for every locale belong under \"messages\""},
      {R"({ "stub": "stub.exe", "localisedSets": [ { "locale": "zh", "messages": {} },
                                                   { "locale": "zh", "messages": {} } ] })",
       "localisedSets[1]: a second set \"zh\""},
      {R"({ "stub": "stub.exe", "messages": { "1000": "a", "1000": "b" } })", "the key \"1000\" is given twice"},
      {R"({ "stub": "stub.exe", "localisedSets": [ { "locale": "zh", "messages": { "1000": "a", "01000": "b" } } ] })",
       "id 1000 is given twice"},
      {R"({ "stub": "stub.exe", "config": { "mainClass": "\u0085" } })", "U+0080 to U+009F"},
      {R"({ "stub": "stub.exe", "files": [ { "name": "\u20ac.txt", "source": "src/a.txt" } ] })",
       "outside the narrow code page: the launcher hands file names"},
      {R"({ "stub": "stub.exe", "files": [ { "name": "con.txt", "source": "src/a.txt" } ] })",
       "a device name on Windows (CON)"},
      {R"({ "stub": "stub.exe", "files": [ { "name": "LPT1", "source": "src/a.txt" } ] })", "device name"},
      {R"({ "stub": "stub.exe", "files": [ { "name": "com\u00b9.log", "source": "src/a.txt" } ] })", "device name"},
      {R"({ "stub": "stub.exe", "files": [ { "name": "Aux \\a.txt", "source": "src/a.txt" } ] })",
       "\"Aux \" ends in a dot or a space"},
      {R"({ "stub": "stub.exe", "files": [ { "name": "lib\\com9.dll", "source": "src/a.txt" } ] })",
       "device name"},
      {R"({ "stub": "stub.exe", "files": [ { "name": "a.txt.", "source": "src/a.txt" } ] })",
       "ends in a dot or a space"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(build(c.project), 2) << c.project;
    EXPECT_EQ(err_.str().rfind("lnxpack: " + at("project.json").string() + ": ", 0), 0u) << err_.str();
    EXPECT_NE(err_.str().find(c.problem), std::string::npos) << err_.str();
    EXPECT_TRUE(onlyInputsLeft()) << c.project;
  }
}

TEST_F(LnxpackBuild, ChecksLetThroughWhatTheLauncherReads) {
  ASSERT_EQ(build(R"({ "stub": "stub.exe",
    "config": { "versionOptionLineCount": 2, "10201": "1.8", "10204": "-Xmx1g", "singleInstance": "1",
                "launcherType": "-1", "minJavaVersion": "1.8.0_201", "maxJavaVersion": 11, "launcherFamily": "e" },
    "localisedSets": [ { "locale": "zh", "messages": {} }, { "locale": "zh_CN", "messages": {} } ],
    "files": [ { "name": "console.txt", "source": "src/a.txt" }, { "name": "com10", "source": "src/a.txt" },
               { "name": "caf\u00e9\\.profile", "source": "src/a.txt" } ] })"),
            0)
      << err_.str();
  Json report = inspect();
  EXPECT_EQ(report["config"]["10204"], "-Xmx1g");
  EXPECT_EQ(report["config"]["127"], "11");
  EXPECT_EQ(report["config"]["2003"], "console.txt;com10;caf\u00e9\\.profile");
}

TEST_F(LnxpackBuild, LateFailureKeepsThePreviousSetupFile) {
  writeText("setup.exe", "previous build");
  EXPECT_EQ(build(R"({ "stub": "stub.exe", "files": [ { "name": "a.txt", "source": "src/a.txt" },
                                                      { "name": "gone.txt", "source": "src/gone.txt" } ] })"),
            2);
  EXPECT_EQ(err_.str(),
            "lnxpack: " + at("src/gone.txt").string() + ": cannot read: No such file or directory\n");
  EXPECT_EQ(read("setup.exe"), Bytes({'p', 'r', 'e', 'v', 'i', 'o', 'u', 's', ' ', 'b', 'u', 'i', 'l', 'd'}));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()),
            4); // src, stub, project, setup
}

TEST_F(LnxpackBuild, StubOptionAndStubRefusal) {
  writeText("project.json", R"({ "stub": "missing.exe" })");
  EXPECT_EQ(run({"build", at("project.json").string(), "--stub", at("stub.exe").string(), "-o",
                 at("setup.exe").string()}),
            0)
      << err_.str();

  Bytes withTrailer = stub_;
  withTrailer.push_back(1);
  write("stub.exe", withTrailer);
  fs::remove(at("setup.exe"));
  EXPECT_EQ(run({"build", at("project.json").string(), "--stub", at("stub.exe").string(), "-o",
                 at("setup.exe").string()}),
            2);
  EXPECT_NE(err_.str().find(at("stub.exe").string() + ": 1 bytes follow the last section"),
            std::string::npos);
  EXPECT_TRUE(onlyInputsLeft());
}

TEST_F(LnxpackBuild, UsageErrors) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"pack"},
                                             {"build", "p.json"},
                                             {"build", "p.json", "-o"},
                                             {"inspect", "--xml", "s.exe"},
                                             {"inspect"}}) {
    EXPECT_EQ(run(args), 2);
    EXPECT_NE(err_.str().find("usage: lnxpack build"), std::string::npos);
  }
}

} // namespace
} // namespace lnx::pack
