// The settings store against a real QSettings file in a private config folder.
#include "app/settings_store.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"
#include "text/codepage.h"

namespace {

using kanro::app::ProfileValue;

class SettingsStoreTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(kanro::app::DeleteAllProfileValues()); }
  void TearDown() override { kanro::app::DeleteAllProfileValues(); }
};

TEST_F(SettingsStoreTest, AbsentValuesYieldTheCallersDefault) {
  EXPECT_EQ(GetProfileInt("Download", "Days", 8), 8);
  EXPECT_EQ(GetProfileString("Download", "Programs", "08GooTv,"), "08GooTv,");
  EXPECT_EQ(GetProfileString("Download", "Programs"), "");
  EXPECT_FALSE(GetProfileBinary("Network", "ProxyPass").has_value());
}

TEST_F(SettingsStoreTest, IntsKeepTheirFullSignedRange) {
  for (int value : {0, 1, -1, INT_MAX, INT_MIN}) {
    ASSERT_TRUE(WriteProfileInt("Window", "TvProgramTypeIndex", value));
    EXPECT_EQ(GetProfileInt("Window", "TvProgramTypeIndex", 12345), value);
  }
}

TEST_F(SettingsStoreTest, TextThatIsNotAnIntInRangeYieldsTheDefault) {
  for (const char* text : {"abc", "", "99999999999", "-2147483649", "12abc", "1.5"}) {
    ASSERT_TRUE(WriteProfileString("Download", "Days", text));
    EXPECT_EQ(GetProfileInt("Download", "Days", 8), 8) << text;
  }
  ASSERT_TRUE(WriteProfileString("Download", "Days", "-2147483648"));
  EXPECT_EQ(GetProfileInt("Download", "Days", 8), INT_MIN);
  ASSERT_TRUE(WriteProfileBinary("Download", "Days", "\x05"));
  EXPECT_EQ(GetProfileInt("Download", "Days", 8), 8);
}

TEST_F(SettingsStoreTest, NullTextAndEmptyBinaryDelete) {
  ASSERT_TRUE(WriteProfileString("Download", "Programs", "13GooTv,"));
  ASSERT_TRUE(WriteProfileString("Download", "Programs", static_cast<const char*>(nullptr)));
  EXPECT_EQ(GetProfileString("Download", "Programs", "gone"), "gone");

  // An empty text is a value, not a deletion.
  ASSERT_TRUE(WriteProfileString("Download", "Programs", ""));
  EXPECT_EQ(GetProfileString("Download", "Programs", "gone"), "");

  ASSERT_TRUE(WriteProfileBinary("Network", "ProxyPass", std::string("\x01\x02", 2)));
  ASSERT_TRUE(WriteProfileBinary("Network", "ProxyPass", ""));
  EXPECT_FALSE(GetProfileBinary("Network", "ProxyPass").has_value());
}

TEST_F(SettingsStoreTest, BinaryValuesRoundTripEveryByte) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  bytes += std::string("\0\0@ByteArray(", 13);
  ASSERT_TRUE(WriteProfileBinary("Network", "ProxyPass", bytes));
  EXPECT_EQ(GetProfileBinary("Network", "ProxyPass"), bytes);
  // A string is not a binary value.
  ASSERT_TRUE(WriteProfileString("Network", "ProxyUser", "user"));
  EXPECT_FALSE(GetProfileBinary("Network", "ProxyUser").has_value());
}

TEST_F(SettingsStoreTest, Cp932StringsComeBackExactly) {
  std::vector<std::string> samples = {
      kanro::text::Utf8ToCp932("東京都【新】.*"),
      kanro::text::Utf8ToCp932("ソ表能"),                 // trail byte 0x5C
      std::string("\x82\xa0\x81", 3),                    // lead byte cut off at the end
      std::string("\xff\xfe\x80\xa0", 4),                // bytes CP932 does not define
      std::string("@String(x)"), std::string("a\0b", 3),  // QSettings' own markers, a NUL
      std::string(" leading and trailing "),
  };
  for (const std::string& sample : samples) {
    ASSERT_TRUE(WriteProfileString("Watch", "20110309", sample));
    EXPECT_EQ(GetProfileString("Watch", "20110309"), sample);
  }
}

TEST_F(SettingsStoreTest, SectionsListAndDelete) {
  ASSERT_TRUE(WriteProfileString("Watch", "20110308", "a"));
  ASSERT_TRUE(WriteProfileString("Watch", "20110307", "b"));
  ASSERT_TRUE(WriteProfileInt("Download", "Days", 3));
  ASSERT_TRUE(WriteProfileBinary("Network", "ProxyPass", "\x01"));
  EXPECT_EQ(kanro::app::ListProfileKeys("Watch"), (std::vector<std::string>{"20110307", "20110308"}));

  std::vector<ProfileValue> all = kanro::app::ListProfileValues();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].section, "Download");
  EXPECT_EQ(all[0].type, ProfileValue::Type::Int);
  EXPECT_EQ(all[0].text, "3");
  EXPECT_EQ(all[1].type, ProfileValue::Type::Binary);
  EXPECT_EQ(all[2].key, "20110307");
  EXPECT_EQ(all[2].type, ProfileValue::Type::String);

  ASSERT_TRUE(kanro::app::DeleteProfileSection("Watch"));
  EXPECT_TRUE(kanro::app::ListProfileKeys("Watch").empty());
  EXPECT_EQ(GetProfileInt("Download", "Days", 8), 3);
}

TEST_F(SettingsStoreTest, MalformedNamesNeverAddressAWholeSection) {
  ASSERT_TRUE(WriteProfileString("Watch", "20110308", "a"));
  EXPECT_FALSE(WriteProfileString("Watch", "", static_cast<const char*>(nullptr)));
  EXPECT_FALSE(WriteProfileBinary("Watch", "", ""));
  EXPECT_FALSE(WriteProfileInt("Watch", "a/b", 1));
  EXPECT_FALSE(kanro::app::DeleteProfileSection(""));
  EXPECT_EQ(GetProfileString("Watch", "20110308"), "a");
}

TEST_F(SettingsStoreTest, TwoThreadsWritingDifferentKeysLoseNothing) {
  constexpr int kWrites = 60;
  auto writer = [](const char* section) {
    for (int i = 0; i < kWrites; ++i) {
      WriteProfileInt(section, ("Key" + std::to_string(i)).c_str(), i);
      GetProfileInt(section, "Key0", -1);
    }
  };
  std::thread ui(writer, "FileSize");
  std::thread worker(writer, "Window");
  ui.join();
  worker.join();
  for (int i = 0; i < kWrites; ++i) {
    std::string key = "Key" + std::to_string(i);
    EXPECT_EQ(GetProfileInt("FileSize", key.c_str(), -1), i);
    EXPECT_EQ(GetProfileInt("Window", key.c_str(), -1), i);
  }
}

TEST_F(SettingsStoreTest, HandEditedValuesReadAsTheirText) {
  ASSERT_TRUE(WriteProfileInt("Download", "Days", 3));
  kanro::test::WriteAll(kanro::app::ProfileLocation(),
                        "[Download]\nPrograms=08GooTv,13YahooFm,\nDays= 5\nExistTerm=\xe2\x88\x9e\n");
  EXPECT_EQ(GetProfileString("Download", "Programs"), "08GooTv,13YahooFm,");
  EXPECT_EQ(GetProfileInt("Download", "Days", 8), 5);
  EXPECT_EQ(GetProfileString("Download", "ExistTerm"), "\x81\x87");  // UTF-8 on disk, CP932 in the program
}

TEST_F(SettingsStoreTest, CorruptFileGivesDefaultsAndCanBeWrittenAgain) {
  ASSERT_TRUE(WriteProfileInt("Download", "Days", 3));
  std::filesystem::path file = kanro::app::ProfileLocation();
  ASSERT_TRUE(std::filesystem::exists(file));
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) % 251));
  garbage += "\n[Download\nDays=@Variant(\x01\x02)\n=\n[[[\n@ByteArray(";
  kanro::test::WriteAll(file, garbage);

  EXPECT_EQ(GetProfileInt("Download", "Days", 8), 8);
  EXPECT_EQ(GetProfileString("Download", "Programs", "08GooTv,"), "08GooTv,");
  kanro::app::ListProfileValues();  // must not crash
  ASSERT_TRUE(WriteProfileInt("Download", "Days", 5));
  EXPECT_EQ(GetProfileInt("Download", "Days", 8), 5);
}

// The file holds the enciphered proxy password.
TEST_F(SettingsStoreTest, FileIsReadableByItsOwnerOnly) {
  const std::filesystem::path file = kanro::app::ProfileLocation();
  auto mode = [&] {
    struct stat info{};
    EXPECT_EQ(stat(file.c_str(), &info), 0);
    return info.st_mode & 0777;
  };
  std::filesystem::remove(file);
  const mode_t previous = umask(022);
  ASSERT_TRUE(WriteProfileBinary("Network", "ProxyPass", std::string(8, '\x11')));
  EXPECT_EQ(mode(), 0600u);
  // A file written before with wider permissions is narrowed at the next write.
  chmod(file.c_str(), 0644);
  ASSERT_TRUE(WriteProfileInt("Download", "Days", 3));
  EXPECT_EQ(mode(), 0600u);
  umask(previous);
  EXPECT_EQ(GetProfileBinary("Network", "ProxyPass"), std::string(8, '\x11'));
}

// A lock left by a killed writer must not hold up writes (QSettings alone
// waits about 30 s for one whose owner it cannot read).
TEST_F(SettingsStoreTest, StaleLockIsTakenOverAtOnce) {
  pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  const std::string lock = kanro::app::ProfileLocation() + ".lock";
  const std::vector<std::string> leftovers = {
      "",                                                      // killed before it wrote its owner
      "not a lock file\n",                                     // garbage
      std::to_string(child) + "\nkanro-cli\n" + host + "\n",  // its owner has ended
  };
  int value = 0;
  for (const std::string& content : leftovers) {
    kanro::test::WriteAll(lock, content);
    ++value;
    // Bounded only to turn a stall into a failure, well under QSettings' own 30 s.
    auto write = std::async(std::launch::async, [value] { return WriteProfileInt("Download", "Days", value); });
    ASSERT_EQ(write.wait_for(std::chrono::seconds(10)), std::future_status::ready) << content;
    EXPECT_TRUE(write.get());
    EXPECT_EQ(GetProfileInt("Download", "Days", 0), value);
    EXPECT_FALSE(std::filesystem::exists(lock));
  }
}

}  // namespace
