#pragma once
// The built-in demo's server: the listing pages of both sites for any date,
// prefecture and type, and a stand-in for the maker's service, on 127.0.0.1
// from its own thread, so the program shows its main job without a network.
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kanro::demo {

class ListingServer;

class DemoServer {
 public:
  DemoServer();
  ~DemoServer();  // stops
  DemoServer(const DemoServer&) = delete;
  DemoServer& operator=(const DemoServer&) = delete;

  // Listens on the port (0: a free one). False with a plain-words reason when
  // it cannot listen. A running server is stopped first.
  bool Start(int port, std::string* error);
  // Idempotent; later requests are refused.
  void Stop();
  bool Running() const;
  // The port listened on; 0 when not running.
  int Port() const;
  std::string BaseUrl() const;     // "http://127.0.0.1:PORT"
  std::string ServiceUrl() const;  // BaseUrl() + "/kanro/operate.php"
  // The type's address template on this server, placeholders left in.
  std::string UrlTemplate(std::string_view typeKey) const;
  // The tuner-server stand-in's base address and the XMLTV file's address.
  std::string TunerUrl() const;  // BaseUrl() + "/"
  std::string XmltvUrl() const;  // BaseUrl() + "/guide.xml"

  // The number the version check answers on its first line; by default this
  // program's own version, so the demo never announces an update.
  void SetNewestVersion(int version);
  // The queries of the watch notifications received, in arrival order.
  std::vector<std::string> WatchNotifications() const;

 private:
  std::string ServiceAnswer(const std::string& method, const std::string& target, const std::string& body,
                            int* status);

  std::unique_ptr<ListingServer> listing_;
  mutable std::mutex mutex_;
  int newestVersion_;
  std::vector<std::string> watches_;
};

// The service's answers, also for tests. Texts are CP932 with CR LF.
// Ranking: count lines (1 to 50) of the most watched programmes of the
// listing date's sample pages.
std::string RankingText(int count, const std::string& listingDate);
// Version: the number, then a notice.
std::string VersionText(int newestVersion);
// This program's version as the service compares it ("1.00" gives 100).
int OwnVersionNumber();

}  // namespace kanro::demo
