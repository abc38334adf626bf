// Replays the fuzzers' corpora: every file must load or be refused cleanly,
// and whatever loads must survive being written and read again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "files/Bitmap.h"
#include "files/Options.h"
#include "files/ProjectFile.h"
#include "mwWinAPI/Exceptions.h"
#include "mwWinAPI/SafeFile.h"
#include "mwWinAPI/Utf.h"

using namespace orbiform;

namespace {

std::filesystem::path CorpusFolder(const char* reader = "project") {
  // tests/data -> fuzz/corpus/<reader>
  const char* data = std::getenv("ORBIFORM_TESTDATA");
  return std::filesystem::path(data ? data : "tests/data") / ".." / ".." / "fuzz" / "corpus" / reader;
}

TEST(FuzzCorpus, EveryFileLoadsOrIsRefused) {
  const std::filesystem::path folder = CorpusFolder();
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder.string();
  int files = 0;
  int loaded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = mwWinAPI::ReadFileBytes(entry.path().wstring());
    std::unique_ptr<RoundObject> object;
    bool ok = false;
    try {
      ok = ParseProject(bytes, object);
    } catch (const std::logic_error&) {
    } catch (const mwstd::logic_error&) {
    }
    EXPECT_EQ(ok, object != nullptr);
    if (!ok) continue;
    ++loaded;
    const std::wstring text = ProjectFileText(*object, L"C:\\Sim", L"fuzz.ek7mobj");
    std::unique_ptr<RoundObject> again;
    ASSERT_TRUE(ParseProject(mwWinAPI::ToUtf8(text), again));
    EXPECT_EQ(ProjectFileText(*again, L"C:\\Sim", L"fuzz.ek7mobj"), text);
  }
  EXPECT_GT(files, 0);
  EXPECT_GT(loaded, 0);  // the writer's own seed files
}

TEST(FuzzCorpus, EveryOptionsFileReadsBackTheSame) {
  const std::filesystem::path folder = CorpusFolder("options");
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder.string();
  const Date now{2026, 12, 2, 8, 12, 0, 0, 0};
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    Options options;
    if (!ParseOptions(mwWinAPI::ReadFileBytes(entry.path().wstring()), options, now)) continue;
    const std::wstring text = OptionsFileText(options);
    Options again;
    ASSERT_TRUE(ParseOptions(mwWinAPI::ToUtf8(text), again, now));
    EXPECT_EQ(text, OptionsFileText(again));
    EXPECT_LE(again.recentFiles.size(), static_cast<std::size_t>(kMaxRecentFiles));
  }
  EXPECT_GT(files, 0);
}

TEST(FuzzCorpus, EveryBitmapDecodesWholeOrIsRefused) {
  const std::filesystem::path folder = CorpusFolder("bitmap");
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder.string();
  int decoded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    SCOPED_TRACE(entry.path().filename().string());
    Image image;
    if (!LoadBitmapImage(entry.path().wstring(), image)) continue;
    ++decoded;
    EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height);
  }
  EXPECT_GT(decoded, 0);
}

}  // namespace
