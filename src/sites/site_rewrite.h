#pragma once
// The fixed rewrites a site converter applies to each listing line, in order.
// Kept as data so that tools (the benchmarks) can run the very same patterns.
#include <string>

namespace kanro::sites {

// When a rewrite applies.
enum class RewriteWhen {
  Always,
  RemoveAnchor,  // "Download"/"RemoveAnchor" is set
  KeepAnchor,    // "Download"/"RemoveAnchor" is not set
  NoGCode,       // "Download"/"GCode" is 0
};

struct SiteRewrite {
  std::string pattern;      // ECMAScript, over the CP932 bytes of the line
  std::string replacement;  // ECMAScript replacement format
  RewriteWhen when;
};

}  // namespace kanro::sites
