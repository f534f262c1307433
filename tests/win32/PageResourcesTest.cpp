// The page's assets are resources of the program itself, found by the address scheme the
// page host uses: type = the asset's first folder, name = the rest, both upper case.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ResourceText(const wchar_t* name, const wchar_t* type) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, name, type);
  if (resource == nullptr) {
    return {};
  }
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  return bytes != nullptr ? std::string(static_cast<const char*>(bytes), SizeofResource(module, resource))
                          : std::string();
}

TEST(PageResourcesTest, ThePageIsHtmlResource104) {
  const std::string page = ResourceText(MAKEINTRESOURCEW(104), MAKEINTRESOURCEW(23));
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("IE=edge"), std::string::npos);
}

TEST(PageResourcesTest, AssetsAreFoundByFolderAndNameInAnyCase) {
  EXPECT_NE(ResourceText(L"CSS.CSS", L"CSS").find('{'), std::string::npos);
  EXPECT_EQ(ResourceText(L"huadong.css", L"css"), ResourceText(L"HUADONG.CSS", L"CSS"));
  EXPECT_FALSE(ResourceText(L"PUBLIC.JS", L"JS").empty());
  const std::string picture = ResourceText(L"ABOUT.PNG", L"IMAGES");
  ASSERT_GE(picture.size(), 8u);
  EXPECT_EQ(picture.substr(1, 3), "PNG");
  EXPECT_TRUE(ResourceText(L"NO-SUCH.PNG", L"IMAGES").empty());
}

TEST(PageResourcesTest, TheCarriedJqueryIsVersion162) {
  const std::string jquery = ResourceText(L"JQUERY.MIN.JS", L"JS");
  ASSERT_FALSE(jquery.empty());
  EXPECT_NE(jquery.find("1.6.2"), std::string::npos);
}

}  // namespace
