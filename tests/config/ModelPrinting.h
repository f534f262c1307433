#pragma once

#include <ostream>

#include "config/CheckConfig.h"

// Readable failure messages for whole-value comparisons of the model.
namespace tessaly {

inline void PrintTo(const ConfigEntry& entry, std::ostream* out) {
  *out << "{text=\"" << entry.text << "\" name=\"" << entry.name << "\" type=\"" << entry.type
       << "\" value=\"" << entry.value << "\" mask=\"" << entry.mask << "\"}";
}

inline void PrintTo(const ConfigGroup& group, std::ostream* out) {
  *out << "{type=\"" << group.type << "\" entries=[";
  for (const ConfigEntry& entry : group.entries) {
    PrintTo(entry, out);
  }
  *out << "]}";
}

inline void PrintTo(const DetectRule& rule, std::ostream* out) {
  *out << "{text=\"" << rule.text << "\" type=\"" << rule.type << "\" bit=\"" << rule.bit << "\"}";
}

inline void PrintTo(const ItemInstaller& installer, std::ostream* out) {
  *out << "{url=\"" << installer.url << "\" command=\"" << installer.command << "\" localPath=\""
       << installer.localPath << "\" md5=\"" << installer.md5 << "\"}";
}

inline void PrintTo(const ItemFile& file, std::ostream* out) {
  *out << "{name=\"" << file.name << "\" localPath=\"" << file.localPath << "\" url=\"" << file.url
       << "\" version=\"" << file.version << "\" md5=\"" << file.md5 << "\" install=\""
       << file.install << "\" bit=\"" << file.bit << "\"}";
}

inline void PrintTo(const AppInfo& info, std::ostream* out) {
  *out << "{version=\"" << info.version << "\" remote=\"" << info.remote << "\" localPath=\""
       << info.localPath << "\" md5=\"" << info.md5 << "\" imperative=\"" << info.imperative
       << "\" installer=\"" << info.installer << "\"}";
}

inline void PrintTo(const ComponentItem& item, std::ostream* out) {
  *out << "{name=\"" << item.name << "\" type=\"" << item.type << "\" tips=\"" << item.tips
       << "\" image=\"" << item.image << "\" class=\"" << item.className
       << "\" selectedId=" << item.selectedId << " state=" << item.state << " detects=[";
  for (const DetectRule& rule : item.detects) {
    PrintTo(rule, out);
  }
  *out << "] files=[";
  for (const ItemFile& file : item.files) {
    PrintTo(file, out);
  }
  *out << "] installers=[";
  for (const ItemInstaller& installer : item.installers) {
    PrintTo(installer, out);
  }
  *out << "]}";
}

}  // namespace tessaly
