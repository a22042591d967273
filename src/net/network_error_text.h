#pragma once
// The texts the user sees when a request fails (CP932).
#include <string>
#include <string_view>

namespace kanro::net {

// The code that stands for "the host name could not be resolved".
inline constexpr int kNameNotResolved = 12007;
// The transport's "out of memory" (libcurl's CURLE_OUT_OF_MEMORY), which is
// also how it reports a response header line longer than it accepts.
inline constexpr int kAnswerTooLarge = 27;

// The message for a failed request. code is an HTTP status, kNameNotResolved,
// or a transport error number; detail is the text that goes with a code that
// has no message of its own (the reason phrase or the transport's error text,
// at most 255 characters are used); url is the address as the caller passed
// it. Code 0 (a cancelled request) has no message: the result is empty.
std::string NetworkErrorText(int code, std::string_view detail, std::string_view url);

// The messages for a request this program broke off: the transfer averaged
// under 1 KiB/s over windowSeconds, the body grew past maxBytes, the request
// outlasted its deadline, or the server redirected more times than followed.
std::string TooSlowText(std::string_view url, long windowSeconds);
std::string TooLargeText(std::string_view url, long long maxBytes);
std::string DeadlineText(std::string_view url, long long seconds);
std::string TooManyRedirectsText(std::string_view url);

// The message for a proxy setting that cannot be used.
std::string ProxySettingErrorText(std::string_view proxyName);

}  // namespace kanro::net
