#include "tools/itemcheck/ConfigReport.h"

#include <gtest/gtest.h>

namespace tessaly::itemcheck {
namespace {

// A model with one of everything, as a parsed document would give it.
void FillSmallConfig(CheckConfig& config) {
  config.base = "http://d.example/";
  config.groups.push_back({.type = "dns", .entries = {{.text = "bank.example", .value = "192.0.2.1"}}});
  ComponentItem item{.name = "\xE5\xAE\x89\xE5\x85\xA8", .type = "driver", .className = "CWoqiUSBKey"};
  item.selectedId = 12;
  item.detects.push_back({.text = "{X}", .type = "clsid"});
  item.files.push_back({.name = "a.dll", .localPath = "C:\\a.dll", .version = "1.0"});
  item.installers.push_back({.url = "http://d.example/s.exe", .command = "%1"});
  config.items.push_back(item);
  config.appInfo = {.version = "1.0.0.3", .remote = "t.exe", .imperative = "1"};
}

TEST(ConfigReportTest, JsonHoldsTheWholeModelWithEveryFieldNamed) {
  CheckConfig config;
  FillSmallConfig(config);
  const DocumentReport report{.sound = true, .notes = "", .accepted = true, .config = &config};
  EXPECT_EQ(RenderJson(report),
            R"({"sound":true,"notes":"","accepted":true,"config":{"base":"http://d.example/",)"
            R"("groups":[{"type":"dns","entries":[{"text":"bank.example","name":"","type":"",)"
            R"("value":"192.0.2.1","mask":""}]}],)"
            R"("items":[{"name":"安全","type":"driver","tips":"","image":"","class":"CWoqiUSBKey",)"
            R"("selectedId":12,"detects":[{"text":"{X}","type":"clsid","bit":""}],)"
            R"("files":[{"name":"a.dll","localPath":"C:\\a.dll","url":"","version":"1.0","md5":"",)"
            R"("install":"","bit":""}],"installers":[{"url":"http://d.example/s.exe",)"
            R"("command":"%1","localPath":"","md5":""}]}],"components":[],)"
            R"("appInfo":{"version":"1.0.0.3","remote":"t.exe","localPath":"","md5":"",)"
            R"("imperative":"1","installer":""}}})"
            "\n");
}

TEST(ConfigReportTest, RejectedDocumentReportsVerdictAndNotesButNoModel) {
  CheckConfig config;
  FillSmallConfig(config);
  const DocumentReport report{
      .sound = false, .notes = R"(<lone_end_tag tagname="x" offset="3"/>)", .accepted = false,
      .config = &config};
  EXPECT_EQ(RenderJson(report),
            R"({"sound":false,"notes":"<lone_end_tag tagname=\"x\" offset=\"3\"/>",)"
            R"("accepted":false})"
            "\n");
  EXPECT_EQ(RenderReadable(report),
            "verdict: unsound\n"
            "notes: <lone_end_tag tagname=\"x\" offset=\"3\"/>\n"
            "accepted: no\n");
}

TEST(ConfigReportTest, ReadableTextShowsOnlyTheFieldsTheDocumentSet) {
  CheckConfig config;
  FillSmallConfig(config);
  const DocumentReport report{.sound = true, .notes = "", .accepted = true, .config = &config};
  const std::string text = RenderReadable(report);
  EXPECT_NE(text.find("  \"dns\" (1)\n    text=\"bank.example\"  value=\"192.0.2.1\"\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("    detect type=\"clsid\"  text=\"{X}\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("components (0)\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("mask="), std::string::npos) << "empty fields are left out";
}

}  // namespace
}  // namespace tessaly::itemcheck
