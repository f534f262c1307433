#include "tools/itemcheck/ConfigReport.h"

#include <initializer_list>
#include <string_view>
#include <utility>

#include "tools/itemcheck/JsonText.h"

namespace tessaly::itemcheck {
namespace {

using Field = std::pair<std::string_view, const std::string*>;

// ---- readable text ------------------------------------------------------------------

void AppendLine(std::string& out, int indent, std::string_view text) {
  out.append(static_cast<std::size_t>(indent) * 2, ' ');
  out += text;
  out.push_back('\n');
}

// "name=value" pairs of the non-empty fields, so a line shows what the document set.
std::string FieldList(std::initializer_list<Field> fields) {
  std::string line;
  for (const auto& [name, value] : fields) {
    if (value->empty()) {
      continue;
    }
    if (!line.empty()) {
      line += "  ";
    }
    line += name;
    line += "=\"";
    line += *value;
    line += '"';
  }
  return line.empty() ? std::string("(empty)") : line;
}

void AppendReadableItem(std::string& out, const ComponentItem& item) {
  AppendLine(out, 1, "\"" + item.name + "\"");
  AppendLine(out, 2, FieldList({{"type", &item.type}, {"tips", &item.tips},
                                {"class", &item.className}, {"image", &item.image}}) +
                         "  selectedid=" + std::to_string(item.selectedId));
  for (const DetectRule& rule : item.detects) {
    AppendLine(out, 2, "detect " + FieldList({{"type", &rule.type}, {"bit", &rule.bit},
                                              {"text", &rule.text}}));
  }
  for (const ItemFile& file : item.files) {
    AppendLine(out, 2, "file " + FieldList({{"name", &file.name}, {"version", &file.version},
                                            {"md5", &file.md5}, {"install", &file.install},
                                            {"bit", &file.bit}}));
    AppendLine(out, 3, FieldList({{"url", &file.url}, {"localPath", &file.localPath}}));
  }
  for (const ItemInstaller& installer : item.installers) {
    AppendLine(out, 2, "installer " + FieldList({{"url", &installer.url},
                                                 {"command", &installer.command},
                                                 {"md5", &installer.md5}}));
    AppendLine(out, 3, FieldList({{"localPath", &installer.localPath}}));
  }
}

void AppendReadableItems(std::string& out, std::string_view heading,
                         const std::vector<ComponentItem>& items) {
  AppendLine(out, 0, std::string(heading) + " (" + std::to_string(items.size()) + ")");
  for (const ComponentItem& item : items) {
    AppendReadableItem(out, item);
  }
}

// ---- JSON ---------------------------------------------------------------------------

class JsonObject {
 public:
  explicit JsonObject(std::string& out) : out_(out) { out_.push_back('{'); }
  ~JsonObject() { out_.push_back('}'); }
  JsonObject(const JsonObject&) = delete;
  JsonObject& operator=(const JsonObject&) = delete;

  // Starts a member and leaves the caller to write its value.
  std::string& Key(std::string_view name) {
    if (!first_) {
      out_.push_back(',');
    }
    first_ = false;
    AppendJsonString(out_, name);
    out_.push_back(':');
    return out_;
  }
  void Text(std::string_view name, std::string_view value) { AppendJsonString(Key(name), value); }
  void Texts(std::initializer_list<Field> fields) {
    for (const auto& [name, value] : fields) {
      Text(name, *value);
    }
  }

 private:
  std::string& out_;
  bool first_ = true;
};

template <typename Element, typename WriteElement>
void AppendJsonArray(std::string& out, const std::vector<Element>& elements, WriteElement write) {
  out.push_back('[');
  for (std::size_t i = 0; i < elements.size(); ++i) {
    if (i != 0) {
      out.push_back(',');
    }
    write(out, elements[i]);
  }
  out.push_back(']');
}

void AppendJsonItem(std::string& out, const ComponentItem& item) {
  JsonObject object(out);
  object.Texts({{"name", &item.name}, {"type", &item.type}, {"tips", &item.tips},
                {"image", &item.image}, {"class", &item.className}});
  object.Key("selectedId") += std::to_string(item.selectedId);
  AppendJsonArray(object.Key("detects"), item.detects, [](std::string& o, const DetectRule& r) {
    JsonObject(o).Texts({{"text", &r.text}, {"type", &r.type}, {"bit", &r.bit}});
  });
  AppendJsonArray(object.Key("files"), item.files, [](std::string& o, const ItemFile& f) {
    JsonObject(o).Texts({{"name", &f.name}, {"localPath", &f.localPath}, {"url", &f.url},
                         {"version", &f.version}, {"md5", &f.md5}, {"install", &f.install},
                         {"bit", &f.bit}});
  });
  AppendJsonArray(object.Key("installers"), item.installers,
                  [](std::string& o, const ItemInstaller& i) {
                    JsonObject(o).Texts({{"url", &i.url}, {"command", &i.command},
                                         {"localPath", &i.localPath}, {"md5", &i.md5}});
                  });
}

void AppendJsonConfig(std::string& out, const CheckConfig& config) {
  JsonObject object(out);
  object.Text("base", config.base);
  AppendJsonArray(object.Key("groups"), config.groups, [](std::string& o, const ConfigGroup& g) {
    JsonObject group(o);
    group.Text("type", g.type);
    AppendJsonArray(group.Key("entries"), g.entries, [](std::string& e, const ConfigEntry& entry) {
      JsonObject(e).Texts({{"text", &entry.text}, {"name", &entry.name}, {"type", &entry.type},
                           {"value", &entry.value}, {"mask", &entry.mask}});
    });
  });
  AppendJsonArray(object.Key("items"), config.items, AppendJsonItem);
  AppendJsonArray(object.Key("components"), config.components, AppendJsonItem);
  const AppInfo& app = config.appInfo;
  JsonObject(object.Key("appInfo"))
      .Texts({{"version", &app.version}, {"remote", &app.remote}, {"localPath", &app.localPath},
              {"md5", &app.md5}, {"imperative", &app.imperative}, {"installer", &app.installer}});
}

}  // namespace

std::string RenderReadable(const DocumentReport& report) {
  std::string out;
  AppendLine(out, 0, std::string("verdict: ") + (report.sound ? "sound" : "unsound"));
  AppendLine(out, 0, "notes: " + report.notes);
  AppendLine(out, 0, std::string("accepted: ") + (report.accepted ? "yes" : "no"));
  if (!report.accepted || report.config == nullptr) {
    return out;
  }
  const CheckConfig& config = *report.config;
  AppendLine(out, 0, "base: " + config.base);
  AppendLine(out, 0, "groups (" + std::to_string(config.groups.size()) + ")");
  for (const ConfigGroup& group : config.groups) {
    AppendLine(out, 1, "\"" + group.type + "\" (" + std::to_string(group.entries.size()) + ")");
    for (const ConfigEntry& entry : group.entries) {
      AppendLine(out, 2, FieldList({{"text", &entry.text}, {"name", &entry.name},
                                    {"type", &entry.type}, {"value", &entry.value},
                                    {"mask", &entry.mask}}));
    }
  }
  AppendReadableItems(out, "items", config.items);
  AppendReadableItems(out, "components", config.components);
  const AppInfo& app = config.appInfo;
  AppendLine(out, 0, "appinfo " + FieldList({{"version", &app.version}, {"remote", &app.remote},
                                             {"md5", &app.md5}, {"imperative", &app.imperative},
                                             {"installer", &app.installer}}));
  AppendLine(out, 1, FieldList({{"localPath", &app.localPath}}));
  return out;
}

std::string RenderJson(const DocumentReport& report) {
  std::string out;
  {
    JsonObject object(out);
    object.Key("sound") += report.sound ? "true" : "false";
    object.Text("notes", report.notes);
    object.Key("accepted") += report.accepted ? "true" : "false";
    if (report.accepted && report.config != nullptr) {
      AppendJsonConfig(object.Key("config"), *report.config);
    }
  }
  out.push_back('\n');
  return out;
}

}  // namespace tessaly::itemcheck
