#pragma once
// The texts the user sees when a request fails (CP932).
#include <string>
#include <string_view>

namespace kanro::net {

// The code that stands for "the host name could not be resolved".
inline constexpr int kNameNotResolved = 12007;

// The message for a failed request. code is an HTTP status, kNameNotResolved,
// or a transport error number; detail is the text that goes with a code that
// has no message of its own (the reason phrase or the transport's error text,
// at most 255 characters are used); url is the address as the caller passed
// it. Code 0 (a cancelled request) has no message: the result is empty.
std::string NetworkErrorText(int code, std::string_view detail, std::string_view url);

// The message for a proxy setting that cannot be used.
std::string ProxySettingErrorText(std::string_view proxyName);

}  // namespace kanro::net
