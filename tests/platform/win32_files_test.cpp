// Directory listing, file deletion and embedded resources of the Win32 subset.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "platform/hooks/resource_table.h"
#include "platform/win32.h"
#include "tests/support/shell_xvfb.h"

namespace {

class Win32Files : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = makeTemporaryFolder();
    ASSERT_FALSE(folder.empty());
    std::ofstream(folder + "/Composer - Tune.xm") << "12345";
    { std::ofstream empty(folder + "/empty.mod"); }
    mkdir((folder + "/sub").c_str(), 0755);
  }
  void TearDown() override { removeFolder(folder); }

  std::string folder;
};

TEST_F(Win32Files, ListsEveryEntryIncludingDotAndDotDot) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "/*.*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::vector<std::string> names;
  DWORD subAttributes = 0, tuneSize = 0;
  do {
    names.push_back(data.cFileName);
    if (names.back() == "sub") subAttributes = data.dwFileAttributes;
    if (names.back() == "Composer - Tune.xm") tuneSize = data.nFileSizeLow;
  } while (FindNextFileA(find, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(find));
  std::sort(names.begin(), names.end());
  const std::vector<std::string> expected = {".", "..", "Composer - Tune.xm", "empty.mod", "sub"};
  EXPECT_EQ(names, expected);
  EXPECT_TRUE(subAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(tuneSize, 5u);
}

TEST_F(Win32Files, MissingFolderAndUnsupportedPatternFailCleanly) {
  WIN32_FIND_DATAA data;
  EXPECT_EQ(FindFirstFileA((folder + "/absent/*.*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(FindFirstFileA((folder + "/empty.mod/*.*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
  EXPECT_EQ(FindFirstFileA((folder + "/*.xm").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &data));
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
}

TEST_F(Win32Files, DeleteRemovesAFileOnce) {
  const std::string path = folder + "/empty.mod";
  EXPECT_TRUE(DeleteFileA(path.c_str()));
  struct stat info;
  EXPECT_NE(stat(path.c_str(), &info), 0);
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(Win32Resources, EveryTableEntryIsFoundByIdAndTypeWithItsBytes) {
  for (int i = 0; i < embeddedResourceCount; ++i) {
    const EmbeddedResource& entry = embeddedResources[i];
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(entry.id), entry.type);
    ASSERT_NE(found, nullptr) << "resource " << entry.id;
    EXPECT_EQ(SizeofResource(nullptr, found), entry.size);
    EXPECT_EQ(LockResource(LoadResource(nullptr, found)), static_cast<const void*>(entry.bytes));
    const std::string byName = "#" + std::to_string(entry.id);
    EXPECT_EQ(FindResourceA(nullptr, byName.c_str(), entry.type), found);
  }
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(9999), "BINARYDATA"), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(103), "NOSUCHTYPE"), nullptr);
}

}  // namespace
