#pragma once
// A local listing server for the demo, the tests and the benchmarks: serves
// generated sample pages (sites/sample_pages.h) at the five address templates
// for any date, location and type, and the iEPG files of their iEPG links
// ("/iepg.tvpi?id=..."), on 127.0.0.1, from its own thread. Other
// paths can be given handlers of their own (the demo's service stand-in). It
// records every request and, for tests, can be told to misbehave. What one
// client can make it hold is bounded (guarded_http_server.h).
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace kanro::demo {

class GuardedHttpServer;

struct ServedRequest {
  std::string method;
  std::string target;  // path and query as received
  std::string path;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;    // the request body (POST)
  bool page = false;   // the target was one of the five templates
};

// What a path handler answers.
struct ServedReply {
  int status = 200;
  std::string body;
  std::string contentType = "text/plain; charset=Shift_JIS";
};
using PathHandler = std::function<ServedReply(const ServedRequest&)>;

class ListingServer {
 public:
  // Starts listening at once on the port (0: a free one the system picks);
  // throws std::runtime_error with a plain-words reason when it cannot listen.
  explicit ListingServer(int port = 0);
  ~ListingServer();
  ListingServer(const ListingServer&) = delete;
  ListingServer& operator=(const ListingServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:PORT"
  std::string BaseUrl() const;
  // The type's address template on this server, placeholders left in.
  std::string UrlTemplate(std::string_view typeKey) const;
  // Stores the five templates as the "URL" settings, so producers fetch here.
  void PointSettingsHere() const;

  // Answers GET and POST requests for exactly this path (the query is not
  // part of it) with the handler instead of a page or a 404. The handler runs
  // on a server thread.
  void ServePath(const std::string& path, PathHandler handler);
  // Every programme of the generated pages gets a description fitting its
  // genre and its iEPG link leads to this server's own iEPG answers (the
  // demo's pages); off by default, so tests see the plain pages.
  void SetRichPages(bool rich);

  // Generated pages are grown to this many bytes (0: natural size).
  void SetPageBytes(size_t bytes);
  // Every page request is answered with this status (and a short error page).
  void SetStatus(int status);
  // Page requests get a 200 with an empty body.
  void SetEmptyBodies(bool empty);
  // After this many complete pages the next page gets half its body, the
  // connection drops, and the server stops listening. Negative: never.
  void DieAfter(int pages);
  // Pause between the 8 KB pieces of every body.
  void SetChunkDelayMs(int milliseconds);
  // Serve these bytes (status 200) for exactly this target instead of a page.
  void ServeBody(const std::string& target, std::string body);
  // Generates the page of a target at the current page size ahead of its
  // request (pages are kept once generated), so timing runs measure the
  // client rather than the generator. Returns the page's size in bytes.
  size_t Preload(const std::string& target);

  std::vector<ServedRequest> Requests() const;
  // Targets of the page requests, in arrival order.
  std::vector<std::string> PageTargets() const;
  size_t PagesServed() const;
  // Blocks until this many requests arrived; false after timeoutMs.
  bool WaitForRequests(size_t count, int timeoutMs = 30000) const;
  // Stops listening (idempotent); later requests are refused.
  void Stop();

 private:
  void Handle(const void* request, void* response);
  std::shared_ptr<const std::string> Page(const std::string& target, size_t bytes);
  bool RichPages() const;

  std::unique_ptr<GuardedHttpServer> server_;
  std::thread thread_;
  int port_ = 0;
  std::atomic<bool> closing_{false};
  std::atomic<bool> listenEnded_{false};

  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<ServedRequest> requests_;
  size_t pagesServed_ = 0;
  size_t pageBytes_ = 0;
  int status_ = 200;
  bool emptyBodies_ = false;
  int dieAfter_ = -1;
  bool dead_ = false;
  int chunkDelayMs_ = 0;
  bool richPages_ = false;
  std::map<std::string, std::string> bodies_;
  std::map<std::string, PathHandler> handlers_;
  std::map<std::pair<std::string, size_t>, std::shared_ptr<const std::string>> generated_;
};

}  // namespace kanro::demo
