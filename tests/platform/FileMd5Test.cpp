#include <gtest/gtest.h>

#include <string>

#include "platform/FileDigest.h"
#include "tests/fakes/FakeFileStore.h"

namespace tessaly {
namespace {

const std::string kPath = "C:\\Windows\\system32\\WatchData\\hodll.dll";

class FileMd5Test : public testing::Test {
 protected:
  std::string DigestOf(std::string bytes) {
    files.Put(u"C:\\Windows\\system32\\WatchData\\hodll.dll", std::move(bytes));
    return FileMd5Hex(files, kPath);
  }

  FakeFileStore files;
};

TEST_F(FileMd5Test, MatchesTheReferenceDigestsInLowerCase) {
  // The test suite of RFC 1321.
  const struct {
    std::string bytes;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [bytes, digest] : cases) {
    EXPECT_EQ(DigestOf(bytes), digest) << '"' << bytes << '"';
  }
}

TEST_F(FileMd5Test, FilesOfManyBlocksAndShortReadsGiveTheSameDigest) {
  const std::string million(1000000, 'a');
  EXPECT_EQ(DigestOf(million), "7707d6ae4e027c70eea2a935c2296f21");
  files.largestRead = 1000;  // reads that end mid-block and never fill the buffer
  EXPECT_EQ(FileMd5Hex(files, kPath), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST_F(FileMd5Test, MissingFilesAndFailedReadsGiveNoDigest) {
  EXPECT_EQ(FileMd5Hex(files, kPath), "");
  files.readBreaksAfterBytes = 3 * kDigestReadBlockBytes / 2;
  EXPECT_EQ(DigestOf(std::string(4 * kDigestReadBlockBytes, 'z')), "");
  EXPECT_EQ(DigestOf("short"), "4f09daa9d95bcb166a302407a0e0babe")
      << "a file that ends before the failure point is read whole";
}

}  // namespace
}  // namespace tessaly
