// The demo end to end: a real kanro-cli download against the demo server with
// the demo's preset, and kanro-cli demo-server as a process of its own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/listing_time.h"
#include "app/settings_store.h"
#include "demo/demo_profile.h"
#include "demo/demo_server.h"
#include "demo/source_stand_ins.h"
#include "sites/location.h"
#include "sites/sample_pages.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "text/tokenizer.h"

extern char** environ;

namespace kanro::test {
namespace {

namespace fs = std::filesystem;

std::string Today() { return app::DateText(app::GetListingTime()); }

std::vector<std::string> DemoEntries() {
  std::vector<std::string> entries;
  std::string list = demo::kDemoPrograms;
  size_t start = 0;
  for (size_t comma; (comma = list.find(',', start)) != std::string::npos; start = comma + 1)
    entries.push_back(list.substr(start, comma - start));
  return entries;
}

// A fresh profile pointed at the running demo server, with the demo's
// first-start preset.
void StartWithTheDemoPreset(demo::DemoServer& server) {
  app::DeleteAllProfileValues();
  std::string error;
  ASSERT_TRUE(server.Start(0, &error)) << error;
  demo::PointAtServer(server);
  ASSERT_TRUE(demo::PresetFirstStart());
}

TEST(DemoDownload, KanroCliConvertsTodaysDemoPageOfEveryPresetEntry) {
  demo::DemoServer server;
  ASSERT_NO_FATAL_FAILURE(StartWithTheDemoPreset(server));

  TempDir data("kanro-demo-data");
  ProcessResult r = RunKanroCli({"--data-dir", data.path().string(), "download"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<std::string> entries = DemoEntries();
  ASSERT_EQ(entries.size(), 5u);
  const int days = GetProfileInt("Download", "Days", 8);
  EXPECT_NE(r.out.find("download completed: " + std::to_string(days * 5) + " pages written"), std::string::npos)
      << r.out;

  const std::string today = Today();
  for (const std::string& entry : entries) {
    const std::string page = ReadAll(data.path() / "Data" / (today + entry + ".htm"));
    ASSERT_FALSE(page.empty()) << entry;
    EXPECT_NE(page.find("Windows-31J"), std::string::npos) << entry;
    EXPECT_TRUE(fs::exists(data.path() / "Head" / (entry + ".htm"))) << entry;

    // The page shows the programmes the demo server generated for it: the
    // first programme's title of each channel is in the converted page.
    const std::string type = entry.substr(2);
    sites::SamplePageOptions options;
    options.typeKey = type;
    sites::CLocation location;
    location.SetPrefecture(std::stoi(entry.substr(0, 2)));
    options.locationCode = sites::IsGooSampleType(type) ? location.m_strGooCode : location.m_strYahooCode;
    options.year = std::stoi(today.substr(0, 4));
    options.month = std::stoi(today.substr(4, 2));
    options.day = std::stoi(today.substr(6, 2));
    options.realistic = true;
    // The tuner-server stand-in serves generated terrestrial programmes.
    if (type == "TunerGr") options = demo::StandInPageOptions(options.year, options.month, options.day);
    int checked = 0;
    int lastChannel = -1;
    for (const sites::SampleProgramme& p : sites::SampleSchedule(options)) {
      if (p.channel == lastChannel) continue;
      lastChannel = p.channel;
      std::string title = text::Utf8ToCp932(p.title.substr(0, p.title.find('[')));
      EXPECT_NE(page.find(title), std::string::npos) << entry << ": " << p.title;
      ++checked;
    }
    EXPECT_GE(checked, 5) << entry;
  }
  app::DeleteAllProfileValues();
}

// With iEPG and G-code shown, every iEPG link of a demo page leads to the
// demo server itself, which answers it with an iEPG file: the hand-over can
// be tried without a network.
TEST(DemoDownload, IepgLinksOfTheDemoPagesAreAnsweredByTheDemoServer) {
  demo::DemoServer server;
  ASSERT_NO_FATAL_FAILURE(StartWithTheDemoPreset(server));
  WriteProfileInt("Download", "Days", 1);
  WriteProfileInt("Download", "GCode", 1);
  WriteProfileInt("Download", "iEPG", 1);

  TempDir data("kanro-demo-iepg");
  ProcessResult r = RunKanroCli({"--data-dir", data.path().string(), "download", "--programs", "08GooTv,"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string page = ReadAll(data.path() / "Data" / (Today() + "08GooTv.htm"));
  const std::string marker = "class=\"iepg\" href=\"";
  const std::string own = server.BaseUrl() + "/iepg.tvpi?id=";
  size_t links = 0;
  std::string first;
  for (size_t at = page.find(marker); at != std::string::npos; at = page.find(marker, at + 1)) {
    const size_t begin = at + marker.size();
    const std::string href = page.substr(begin, page.find('"', begin) - begin);
    EXPECT_EQ(href.rfind(own, 0), 0u) << href;
    if (first.empty()) first = href;
    ++links;
  }
  ASSERT_GT(links, 20u);

  httplib::Client client(server.BaseUrl());
  auto answer = client.Get(first.substr(server.BaseUrl().size()));
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->status, 200);
  EXPECT_NE(answer->get_header_value("Content-Type").find("application/x-tv-program-info"), std::string::npos);
  EXPECT_EQ(answer->body.rfind("Content-type: application/x-tv-program-info", 0), 0u) << answer->body.substr(0, 80);
  app::DeleteAllProfileValues();
}

// kanro-cli demo-server with stdout and stderr in files, so the test reads
// the address it prints while it runs.
class DemoServerProcess {
 public:
  explicit DemoServerProcess(std::vector<std::string> extra) {
    words_ = {KanroCliPath().string(), "demo-server"};
    words_.insert(words_.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& w : words_) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&pid_, words_[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~DemoServerProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  // The first line it printed, once it is complete (empty after 30 s).
  std::string FirstLine() {
    for (int i = 0; i < 600; ++i) {
      std::string out = ReadAll(out_);
      size_t end = out.find('\n');
      if (end != std::string::npos) return out.substr(0, end);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
  }
  // Sends the signal and returns the exit code (-1: killed by a signal or
  // still running after 10 s).
  int StopWith(int signal) {
    if (pid_ <= 0) return -1;  // never kill(0) or kill(-1): they reach other processes
    kill(pid_, signal);
    return Wait();
  }
  int Wait() {
    if (pid_ <= 0) return -1;
    for (int i = 0; i < 1000; ++i) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  std::string Err() const { return ReadAll(err_); }

 private:
  TempDir dir_{"kanro-demo-server"};
  fs::path out_ = dir_ / "out.txt";
  fs::path err_ = dir_ / "err.txt";
  std::vector<std::string> words_;
  pid_t pid_ = -1;
};

TEST(DemoServerCommand, PrintsAnAddressThatAnswersAndEndsOnEachStopSignal) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    DemoServerProcess process({});
    const std::string base = process.FirstLine();
    ASSERT_EQ(base.rfind("http://127.0.0.1:", 0), 0u) << base << process.Err();
    const int port = std::stoi(base.substr(17));

    httplib::Client client("127.0.0.1", port);
    sites::SamplePageOptions options;
    options.typeKey = "YahooAm";
    options.locationCode = "23";
    auto page = client.Get(sites::SampleTargetFor(options).c_str());
    ASSERT_TRUE(page) << "signal " << signal;
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("class=\"station\""), std::string::npos);
    auto ranking = client.Post("/kanro/operate.php", "RANK=2", "application/x-www-form-urlencoded");
    ASSERT_TRUE(ranking);
    EXPECT_EQ(std::count(ranking->body.begin(), ranking->body.end(), '\n'), 2);

    EXPECT_EQ(process.StopWith(signal), 0) << "signal " << signal << ": " << process.Err();
    EXPECT_FALSE(httplib::Client("127.0.0.1", port).Get("/")) << "stopped listening";
  }
}

TEST(DemoServerCommand, TakesAPortAndReportsOneInUse) {
  demo::DemoServer busy;
  std::string error;
  ASSERT_TRUE(busy.Start(0, &error)) << error;

  DemoServerProcess taken({"--port", std::to_string(busy.Port())});
  EXPECT_EQ(taken.Wait(), 1);
  EXPECT_NE(taken.Err().find("in use"), std::string::npos) << taken.Err();

  const int port = busy.Port();
  busy.Stop();
  DemoServerProcess chosen({"--port=" + std::to_string(port)});
  EXPECT_EQ(chosen.FirstLine(), "http://127.0.0.1:" + std::to_string(port)) << chosen.Err();
  EXPECT_EQ(chosen.StopWith(SIGTERM), 0);

  EXPECT_EQ(RunKanroCli({"demo-server", "--port", "http"}).exitCode, 2);
  EXPECT_EQ(RunKanroCli({"demo-server", "--port", "65536"}).exitCode, 2);
  EXPECT_EQ(RunKanroCli({"demo-server", "--verbose"}).exitCode, 2);
}

}  // namespace
}  // namespace kanro::test
