#pragma once

#include "config/ConfigPlatform.h"
#include "tests/fakes/FakeCodePages.h"
#include "tests/fakes/FakeEnvironment.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeSystemFacts.h"

namespace tessaly {

// The fakes a configuration test tunes, bundled with the ConfigPlatform that refers to them.
struct FakeConfigPlatform {
  FakeCodePages codePages;
  FakeFileSystem fileSystem;
  FakeEnvironment environment;
  FakeSystemFacts systemFacts;
  ConfigPlatform platform{codePages, fileSystem, environment, systemFacts};

  FakeConfigPlatform() = default;
  // `platform` refers to the members; a copy would refer to the original's.
  FakeConfigPlatform(const FakeConfigPlatform&) = delete;
  FakeConfigPlatform& operator=(const FakeConfigPlatform&) = delete;

  // The download folder inside the fake temporary folder, with its trailing backslash.
  std::string DownloadFolder() const { return fileSystem.temporaryDirectory + "DownTmp\\"; }
};

}  // namespace tessaly
