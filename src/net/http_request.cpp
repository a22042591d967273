// HttpRequest over libcurl: one easy handle per call, nothing kept between
// calls.
#include "net/http_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string_view>

#include "net/base64.h"
#include "net/network_error_text.h"
#include "net/proxy_settings.h"
#include "net/url_parts.h"

namespace {

using kanro::app::MessageTarget;
using kanro::app::UM_PROGRESS;

using Clock = std::chrono::steady_clock;

constexpr size_t kChunkSize = 1024;
constexpr long kDefaultTimeoutSec = 60;
// A transfer slower than this on average over the time-out window is broken off.
constexpr long long kMinBytesPerSecond = 1024;
constexpr long kMaxRedirects = 30;
constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1)";
constexpr const char* kContentType = "Content-Type: application/x-www-form-urlencoded";

// Connect time-out and the window over which a transfer must average at
// least kMinBytesPerSecond. The environment variable KANRO_NET_TIMEOUT_SEC
// (whole seconds) overrides both, so a stalled or trickling server can be
// tested without waiting a minute.
long TimeoutSeconds() {
  const char* text = std::getenv("KANRO_NET_TIMEOUT_SEC");
  if (text == nullptr || *text == '\0') return kDefaultTimeoutSec;
  char* end = nullptr;
  long seconds = std::strtol(text, &end, 10);
  if (*end != '\0' || seconds < 1 || seconds > 24 * 3600) return kDefaultTimeoutSec;
  return seconds;
}

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsAccepted(long status) { return (status >= 200 && status <= 399) || status == 404; }

// A request method is a plain token; anything else would corrupt the request.
bool IsValidVerb(const std::string& verb) {
  if (verb.empty() || verb.size() > 32) return false;
  return std::all_of(verb.begin(), verb.end(),
                     [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
}

std::string HeaderName(std::string_view line) {
  std::string name(line.substr(0, line.find(':')));
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name;
}

// Request header lines in the order given. A header whose name is already
// present is not added again (the first one wins); an entry may hold several
// lines, and lines that are empty or have no name are dropped.
class HeaderLines {
 public:
  void AddIfNew(std::string_view entry) {
    size_t start = 0;
    while (start <= entry.size()) {
      size_t end = entry.find_first_of("\r\n", start);
      if (end == std::string_view::npos) end = entry.size();
      std::string_view line = entry.substr(start, end - start);
      start = end + 1;
      size_t colon = line.find(':');
      if (colon == std::string_view::npos) continue;
      std::string name = HeaderName(line);
      if (name.empty() || name.find_first_of(" \t") != std::string::npos) continue;
      if (std::find(names_.begin(), names_.end(), name) != names_.end()) continue;
      names_.push_back(name);
      lines_.emplace_back(line);
    }
  }
  bool Has(const std::string& lowerName) const {
    return std::find(names_.begin(), names_.end(), lowerName) != names_.end();
  }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> names_;
  std::vector<std::string> lines_;
};

struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using CurlList = std::unique_ptr<curl_slist, CurlDeleter>;

CurlList ToCurlList(const std::vector<std::string>& lines) {
  curl_slist* list = nullptr;
  for (const auto& line : lines) {
    curl_slist* grown = curl_slist_append(list, line.c_str());
    if (grown == nullptr) {
      curl_slist_free_all(list);
      return nullptr;
    }
    list = grown;
  }
  return CurlList(list);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using OutputFile = std::unique_ptr<std::FILE, FileCloser>;

std::FILE* OpenForWriting(const std::filesystem::path& path) {
#ifdef _WIN32
  return _wfopen(path.c_str(), L"wb");
#else
  return std::fopen(path.c_str(), "wb");
#endif
}

// Bytes received over time, to tell a trickle from a transfer that merely
// pauses: the request is too slow when the bytes of the last full window
// average under kMinBytesPerSecond.
class RateWatch {
 public:
  explicit RateWatch(long windowSeconds) : window_(std::chrono::seconds(windowSeconds)), windowSeconds_(windowSeconds) {}

  void Start(Clock::time_point now) {
    samples_.clear();
    samples_.push_back({now, 0});
    received_ = 0;
  }
  void Add(size_t bytes) { received_ += static_cast<long long>(bytes); }

  bool TooSlow(Clock::time_point now) {
    // A sample every quarter second is plenty and bounds the history.
    if (now - samples_.back().time >= std::chrono::milliseconds(250)) samples_.push_back({now, received_});
    // The baseline is the newest sample at least one window old.
    while (samples_.size() >= 2 && samples_[1].time <= now - window_) samples_.pop_front();
    const Sample& base = samples_.front();
    if (now - base.time < window_) return false;
    return received_ - base.received < kMinBytesPerSecond * windowSeconds_;
  }

 private:
  struct Sample {
    Clock::time_point time;
    long long received;
  };
  Clock::duration window_;
  long windowSeconds_;
  std::deque<Sample> samples_;
  long long received_ = 0;
};

// Why this routine broke a transfer off itself.
enum class Breakoff { None, TooSlow, TooLarge, Deadline };

// What one transfer has seen; shared with the curl callbacks.
struct Transfer {
  explicit Transfer(long windowSeconds) : rate(windowSeconds) {}
  std::FILE* file = nullptr;
  MessageTarget* progressWindow = nullptr;
  CURL* curl = nullptr;
  long long total = 0;
  bool announcedLength = false;
  bool cancelled = false;      // g_bCancel stopped the transfer
  bool fileError = false;      // the output file could not be written, or a handler threw
  bool statusRejected = false; // the body of an unaccepted status was refused
  Breakoff breakoff = Breakoff::None;
  long long maxBodyBytes = 0;
  Clock::time_point deadline;
  RateWatch rate;
  long statusCode = 0;         // of the latest status line
  std::string reason;          // its reason phrase
  char pending[kChunkSize];    // body bytes not yet making a whole chunk
  size_t pendingSize = 0;

  // Writes the last, short chunk once the body has ended (or broken off).
  void FlushPending() {
    size_t n = pendingSize;
    pendingSize = 0;
    if (n > 0) EmitChunk(pending, n);
  }

  bool EmitChunk(const char* data, size_t n) {
    if (g_bCancel.load()) {
      cancelled = true;
      return false;
    }
    if (std::fwrite(data, 1, n, file) != n) {
      fileError = true;
      return false;
    }
    total += static_cast<long long>(n);
    if (progressWindow != nullptr)
      progressWindow->Send(UM_PROGRESS, static_cast<uintptr_t>(total), 0);
    return true;
  }

  size_t OnBody(const char* data, size_t size) {
    const size_t received = size;
    rate.Add(size);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (!IsAccepted(status)) {
      statusRejected = true;
      return 0;
    }
    if (!announcedLength) {
      announcedLength = true;
      curl_off_t length = -1;
      curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
      // An announced length over the cap is refused before a byte is kept.
      if (length > maxBodyBytes) {
        breakoff = Breakoff::TooLarge;
        return 0;
      }
      if (length > 0 && progressWindow != nullptr)
        progressWindow->Send(UM_PROGRESS, 0, static_cast<intptr_t>(length));
    }
    if (total + static_cast<long long>(pendingSize + size) > maxBodyBytes) {
      breakoff = Breakoff::TooLarge;
      return 0;
    }
    // The body is handed on in chunks of 1024 bytes (the last one may be
    // shorter), whatever block sizes the transport delivers: each chunk is
    // checked for a cancel, written, counted and reported on its own.
    while (size > 0) {
      if (pendingSize == 0 && size >= kChunkSize) {
        if (!EmitChunk(data, kChunkSize)) return 0;
        data += kChunkSize;
        size -= kChunkSize;
        continue;
      }
      size_t n = std::min(kChunkSize - pendingSize, size);
      std::memcpy(pending + pendingSize, data, n);
      pendingSize += n;
      data += n;
      size -= n;
      if (pendingSize == kChunkSize) {
        pendingSize = 0;
        if (!EmitChunk(pending, kChunkSize)) return 0;
      }
    }
    return received;
  }

  // Called about once a second even while nothing arrives, so a cancel, a
  // trickle and the deadline also end a stalled transfer.
  bool ShouldStop() {
    if (g_bCancel.load()) return true;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) breakoff = Breakoff::Deadline;
    else if (rate.TooSlow(now)) breakoff = Breakoff::TooSlow;
    return breakoff != Breakoff::None;
  }

  void OnHeaderLine(std::string_view line) {
    rate.Add(line.size());
    if (line.substr(0, 5) != "HTTP/") return;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    size_t codeAt = line.find(' ');
    if (codeAt == std::string_view::npos) return;
    std::string_view rest = line.substr(codeAt + 1);
    statusCode = std::strtol(std::string(rest.substr(0, 3)).c_str(), nullptr, 10);
    size_t reasonAt = rest.find(' ');
    reason = reasonAt == std::string_view::npos ? "" : std::string(rest.substr(reasonAt + 1));
  }
};

// The callbacks run inside libcurl, which no exception may cross: one that
// escapes the window's handler ends the transfer like a write failure.
size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  try {
    return transfer->OnBody(data, size * count);
  } catch (...) {
    transfer->fileError = true;
    return 0;
  }
}

size_t ReadHeader(char* data, size_t size, size_t count, void* user) {
  try {
    static_cast<Transfer*>(user)->OnHeaderLine(std::string_view(data, size * count));
  } catch (...) {
    return 0;
  }
  return size * count;
}

int CheckProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  try {
    return static_cast<Transfer*>(user)->ShouldStop() ? 1 : 0;
  } catch (...) {
    return 1;
  }
}

// How one attempt ended.
struct Outcome {
  enum Kind { Done, Cancelled, FileError, BrokenOff, TooManyRedirects, HttpStatus, TransportError } kind = Done;
  long status = 0;       // HttpStatus: the code
  std::string detail;    // its reason phrase, or the transport's error text
  int transportCode = 0; // TransportError: the number shown
};

std::string TransportErrorText(CURLcode code, const char* errorBuffer) {
  if (errorBuffer != nullptr && *errorBuffer != '\0') {
    std::string text(errorBuffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
  }
  return curl_easy_strerror(code);
}

Outcome Classify(CURL* curl, Transfer& transfer, CURLcode code, const char* errorBuffer) {
  Outcome outcome;
  if (transfer.fileError) {
    outcome.kind = Outcome::FileError;
    return outcome;
  }
  if (transfer.cancelled) {
    outcome.kind = Outcome::Cancelled;
    return outcome;
  }
  if (transfer.breakoff != Breakoff::None) {
    outcome.kind = Outcome::BrokenOff;
    return outcome;
  }
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  long connectStatus = 0;
  curl_easy_getinfo(curl, CURLINFO_HTTP_CONNECTCODE, &connectStatus);
  if (code != CURLE_OK && !transfer.statusRejected && connectStatus >= 300) {
    // The proxy refused to open a tunnel: report its status like any other.
    outcome.kind = Outcome::HttpStatus;
    outcome.status = connectStatus;
    outcome.detail = transfer.reason;
    return outcome;
  }
  if (code == CURLE_OK || transfer.statusRejected) {
    if (IsAccepted(status)) {
      outcome.kind = Outcome::Done;
    } else {
      outcome.kind = Outcome::HttpStatus;
      outcome.status = status;
      outcome.detail = transfer.statusCode == status ? transfer.reason : "";
    }
    return outcome;
  }
  // A loop of redirects; some servers drop the connection instead of
  // answering the last one, which reads as a receive failure.
  long redirects = 0;
  curl_easy_getinfo(curl, CURLINFO_REDIRECT_COUNT, &redirects);
  if (code == CURLE_TOO_MANY_REDIRECTS || redirects >= kMaxRedirects) {
    outcome.kind = Outcome::TooManyRedirects;
    return outcome;
  }
  outcome.kind = Outcome::TransportError;
  outcome.transportCode = (code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_RESOLVE_PROXY)
                              ? kanro::net::kNameNotResolved
                              : static_cast<int>(code);
  outcome.detail = TransportErrorText(code, errorBuffer);
  return outcome;
}

// One attempt. Any failure while a cancel is pending counts as the cancel.
Outcome Perform(CURL* curl, Transfer& transfer, char* errorBuffer) {
  errorBuffer[0] = '\0';
  transfer.statusRejected = false;
  transfer.statusCode = 0;
  transfer.reason.clear();
  transfer.rate.Start(Clock::now());
  CURLcode code = curl_easy_perform(curl);
  if (!transfer.cancelled && !transfer.fileError) {
    try {
      transfer.FlushPending();
    } catch (...) {
      transfer.fileError = true;
    }
  }
  Outcome outcome = Classify(curl, transfer, code, errorBuffer);
  if (outcome.kind != Outcome::Done && outcome.kind != Outcome::FileError && g_bCancel.load())
    outcome.kind = Outcome::Cancelled;
  return outcome;
}

void Warn(const std::string& text) {
  if (!text.empty()) kanro::app::CurrentNotifier().Warn(text);
}

}  // namespace

int HttpRequest(const std::filesystem::path& outputPath,
                const std::vector<std::string>& extraHeaders,
                const std::string& url, const std::string& body,
                kanro::app::MessageTarget* progressWindow,
                const char* referer,
                const std::string& verb,
                const HttpLimits& limits) {
  using namespace kanro::net;
  const Clock::time_point started = Clock::now();

  auto parts = SplitUrl(url);
  if (!parts || !IsValidVerb(verb)) return -1;

  InitCurlOnce();
  const ProxySettings proxy = ReadProxySettings();
  if (proxy.accessType == kAccessProxy && !proxy.ProxyNameValid()) {
    Warn(ProxySettingErrorText(proxy.ProxyName()));
    return -1;
  }

  CurlHandle curl(curl_easy_init());
  if (!curl) return -1;
  CURL* h = curl.get();

  OutputFile file(OpenForWriting(outputPath));
  if (!file) return -1;
  std::setvbuf(file.get(), nullptr, _IOFBF, 64 * 1024);

  // Headers: the caller's in order, the proxy credentials, the content type.
  HeaderLines serverHeaders;
  for (const auto& entry : extraHeaders) serverHeaders.AddIfNew(entry);
  HeaderLines proxyHeaders;
  if (proxy.SendsCredentials()) {
    proxyHeaders.AddIfNew("Proxy-Connection: Keep-Alive");
    proxyHeaders.AddIfNew("Proxy-Authorization: Basic " +
                          Base64Encode(proxy.user + ":" + *proxy.password));
  }
  const bool tunnelled = parts->scheme == "https";
  if (!tunnelled) {
    // Plain requests go to the proxy as they are, so the proxy reads its
    // headers from the request itself.
    for (const auto& line : proxyHeaders.Lines()) serverHeaders.AddIfNew(line);
  }
  serverHeaders.AddIfNew(kContentType);
  std::vector<std::string> lines = serverHeaders.Lines();
  // No "Expect: 100-continue" pause before a larger body, and none of the
  // headers libcurl would add on its own: the request carries exactly the
  // lines above (Proxy-Connection only with the proxy credentials).
  if (!serverHeaders.Has("expect")) lines.emplace_back("Expect:");
  if (!serverHeaders.Has("accept")) lines.emplace_back("Accept:");
  if (!serverHeaders.Has("proxy-connection")) lines.emplace_back("Proxy-Connection:");
  CurlList serverList = ToCurlList(lines);
  CurlList proxyList = ToCurlList(proxyHeaders.Lines());

  const long timeout = TimeoutSeconds();
  Transfer transfer(timeout);
  transfer.file = file.get();
  transfer.progressWindow = progressWindow;
  transfer.curl = h;
  transfer.maxBodyBytes = limits.maxBodyBytes;
  transfer.deadline = started + limits.deadline;
  char errorBuffer[CURL_ERROR_SIZE] = {};

  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
  // A line break in the referer would end the header early and start another.
  std::string refererLine;
  if (referer != nullptr) {
    refererLine = referer;
    refererLine.resize(std::min(refererLine.find_first_of("\r\n"), refererLine.size()));
    curl_easy_setopt(h, CURLOPT_REFERER, refererLine.c_str());
  }
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, serverList.get());
  if (tunnelled && proxyList) {
    curl_easy_setopt(h, CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE));
    curl_easy_setopt(h, CURLOPT_PROXYHEADER, proxyList.get());
  }
  switch (proxy.accessType) {
    case kAccessDirect:
      curl_easy_setopt(h, CURLOPT_PROXY, "");
      break;
    case kAccessProxy: {
      std::string name = proxy.ProxyName();
      curl_easy_setopt(h, CURLOPT_PROXY, name.c_str());  // libcurl copies it
      curl_easy_setopt(h, CURLOPT_NOPROXY, "");
      break;
    }
    default:
      // The system's configuration; unknown values fall back to it too.
      break;
  }

  if (verb == "POST") {
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
  } else {
    if (!body.empty()) {
      curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
      curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
    } else {
      curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }
    if (verb != "GET" || !body.empty()) curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, verb.c_str());
  }

  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, ReadHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, CheckProgress);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, timeout);
  curl_easy_setopt(h, CURLOPT_BUFFERSIZE, 64L * 1024);

  Outcome outcome = Perform(h, transfer, errorBuffer);
  if (outcome.kind == Outcome::HttpStatus && outcome.status == 407) {
    // One more attempt with the stored credentials; there is no third.
    outcome = Perform(h, transfer, errorBuffer);
  }

  const bool closed = std::fclose(file.release()) == 0;
  switch (outcome.kind) {
    case Outcome::Done:
      if (!closed) return -1;
      return static_cast<int>(std::min<long long>(transfer.total, INT_MAX));
    case Outcome::Cancelled:
      return 0;
    case Outcome::FileError:
      return -1;
    case Outcome::BrokenOff:
      switch (transfer.breakoff) {
        case Breakoff::TooSlow: Warn(TooSlowText(url, timeout)); break;
        case Breakoff::TooLarge: Warn(TooLargeText(url, limits.maxBodyBytes)); break;
        case Breakoff::Deadline:
          Warn(DeadlineText(url, std::chrono::duration_cast<std::chrono::seconds>(limits.deadline).count()));
          break;
        case Breakoff::None: break;
      }
      return -1;
    case Outcome::TooManyRedirects:
      Warn(TooManyRedirectsText(url));
      return -1;
    case Outcome::HttpStatus:
      Warn(NetworkErrorText(static_cast<int>(outcome.status), outcome.detail, url));
      return -1;
    case Outcome::TransportError:
      Warn(NetworkErrorText(outcome.transportCode, outcome.detail, url));
      return -1;
  }
  return -1;
}
