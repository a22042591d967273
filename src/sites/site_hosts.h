#pragma once
// Host names of the two listing sites. They fill the default page addresses and
// the absolute links the converters write; the "URL" settings override the
// addresses (tests and the demo point them at a local server).
namespace kanro::sites {

inline constexpr const char kGooHost[] = "tv.goo.ne.jp";
inline constexpr const char kYahooHost[] = "tv.yahoo.co.jp";

}  // namespace kanro::sites
