// PCRE2-JIT behind the ECMAScript wrapper. The pattern is first rewritten into
// PCRE2 syntax with every engine difference spelled out (character classes,
// ".", escapes, backreferences), so PCRE2 never applies a meaning of its own.
#include "text/regex.h"
#include "text/regex_error_text.h"

#include "text/codepage.h"

#define PCRE2_CODE_UNIT_WIDTH 0
#include <pcre2.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <utility>

namespace kanro::text {

namespace {

// Work allowed for one Search/MatchAt call before it is abandoned. Ordinary
// lazy patterns over a 200 KB line stay far below it; nested quantifiers that
// explode hit it within a fraction of a second.
constexpr uint32_t kMatchLimit = 20'000'000;
constexpr uint32_t kDepthLimit = 2'000'000;
constexpr uint32_t kHeapLimitKiB = 256 * 1024;
constexpr size_t kJitStackStart = 64 * 1024;
constexpr size_t kJitStackMax = 8 * 1024 * 1024;
// The match limit counts per start position, so a pattern that does a lot of
// work at every position of a long line (quadratic, not exponential) slips
// under it. Searches over long subjects therefore try start positions in
// growing slices and give up once a search has taken this long; only such
// pathological patterns ever get near it.
constexpr size_t kFirstSlice = 256;
constexpr size_t kMaxSlice = 1 << 20;
constexpr auto kSearchTimeBudget = std::chrono::milliseconds(500);

std::atomic<uint64_t> g_limitHits{0};

// The deadline of this thread's regex work; max() when there is none.
thread_local std::chrono::steady_clock::time_point t_deadline = std::chrono::steady_clock::time_point::max();

bool PastDeadline(std::chrono::steady_clock::time_point now) { return now > t_deadline; }
bool PastDeadline() {
  return t_deadline != std::chrono::steady_clock::time_point::max() && PastDeadline(std::chrono::steady_clock::now());
}

// ---------------------------------------------------------------------------
// The two PCRE2 libraries (8-bit and 32-bit) under one set of names.

template <class CharT>
struct Pcre;

#define KANRO_PCRE_TRAITS(CharType, W)                                                      \
  template <>                                                                               \
  struct Pcre<CharType> {                                                                   \
    using Code = pcre2_code_##W;                                                            \
    using MatchData = pcre2_match_data_##W;                                                 \
    using MatchContext = pcre2_match_context_##W;                                           \
    using CompileContext = pcre2_compile_context_##W;                                       \
    using JitStack = pcre2_jit_stack_##W;                                                   \
    using Sptr = PCRE2_SPTR##W;                                                             \
    static Code* Compile(const CharType* p, size_t n, uint32_t opts, int* err, PCRE2_SIZE* off, \
                         CompileContext* cc) {                                              \
      return pcre2_compile_##W(reinterpret_cast<Sptr>(p), n, opts, err, off, cc);          \
    }                                                                                       \
    static int JitCompile(Code* c) { return pcre2_jit_compile_##W(c, PCRE2_JIT_COMPLETE); } \
    static void Free(Code* c) { pcre2_code_free_##W(c); }                                   \
    static uint32_t CaptureCount(const Code* c) {                                           \
      uint32_t n = 0;                                                                       \
      pcre2_pattern_info_##W(c, PCRE2_INFO_CAPTURECOUNT, &n);                               \
      return n;                                                                             \
    }                                                                                       \
    static CompileContext* NewCompileContext() { return pcre2_compile_context_create_##W(nullptr); } \
    static void SetNewline(CompileContext* cc) { pcre2_set_newline_##W(cc, PCRE2_NEWLINE_LF); } \
    static void Free(CompileContext* cc) { pcre2_compile_context_free_##W(cc); }            \
    static MatchContext* NewMatchContext() { return pcre2_match_context_create_##W(nullptr); } \
    static void Free(MatchContext* mc) { pcre2_match_context_free_##W(mc); }                \
    static void SetOffsetLimit(MatchContext* mc, PCRE2_SIZE limit) {                        \
      pcre2_set_offset_limit_##W(mc, limit);                                                \
    }                                                                                       \
    static void SetLimits(MatchContext* mc) {                                               \
      pcre2_set_match_limit_##W(mc, kMatchLimit);                                           \
      pcre2_set_depth_limit_##W(mc, kDepthLimit);                                           \
      pcre2_set_heap_limit_##W(mc, kHeapLimitKiB);                                          \
    }                                                                                       \
    static JitStack* NewJitStack() {                                                        \
      return pcre2_jit_stack_create_##W(kJitStackStart, kJitStackMax, nullptr);             \
    }                                                                                       \
    static void AssignJitStack(MatchContext* mc, JitStack* s) {                             \
      pcre2_jit_stack_assign_##W(mc, nullptr, s);                                           \
    }                                                                                       \
    static void Free(JitStack* s) { pcre2_jit_stack_free_##W(s); }                          \
    static MatchData* NewMatchData(uint32_t pairs) {                                        \
      return pcre2_match_data_create_##W(pairs, nullptr);                                   \
    }                                                                                       \
    static void Free(MatchData* md) { pcre2_match_data_free_##W(md); }                      \
    static PCRE2_SIZE* Ovector(MatchData* md) { return pcre2_get_ovector_pointer_##W(md); } \
    static int Match(const Code* c, const CharType* s, size_t n, size_t start, uint32_t opts, \
                     MatchData* md, MatchContext* mc) {                                     \
      return pcre2_match_##W(c, reinterpret_cast<Sptr>(s), n, start, opts, md, mc);         \
    }                                                                                       \
  };

KANRO_PCRE_TRAITS(char, 8)
KANRO_PCRE_TRAITS(char32_t, 32)
#undef KANRO_PCRE_TRAITS

// Per-thread match state: a JIT stack, a match context with the limits and a
// match data block that grows to the largest group count seen. Matching on the
// UI thread and a worker at once therefore shares nothing.
template <class CharT>
class ThreadMatchState {
 public:
  using P = Pcre<CharT>;
  ThreadMatchState() {
    context_ = P::NewMatchContext();
    if (context_ != nullptr) {
      P::SetLimits(context_);
      stack_ = P::NewJitStack();
      if (stack_ != nullptr) P::AssignJitStack(context_, stack_);
    }
  }
  ~ThreadMatchState() {
    if (data_ != nullptr) P::Free(data_);
    if (context_ != nullptr) P::Free(context_);
    if (stack_ != nullptr) P::Free(stack_);
  }
  ThreadMatchState(const ThreadMatchState&) = delete;
  ThreadMatchState& operator=(const ThreadMatchState&) = delete;

  typename P::MatchContext* context() const { return context_; }
  typename P::MatchData* DataFor(uint32_t pairs) {
    if (data_ == nullptr || pairs_ < pairs) {
      if (data_ != nullptr) P::Free(data_);
      pairs_ = std::max<uint32_t>(pairs, 10);
      data_ = P::NewMatchData(pairs_);
    }
    return data_;
  }

 private:
  typename P::MatchContext* context_ = nullptr;
  typename P::JitStack* stack_ = nullptr;
  typename P::MatchData* data_ = nullptr;
  uint32_t pairs_ = 0;
};

template <class CharT>
ThreadMatchState<CharT>& MatchState() {
  thread_local ThreadMatchState<CharT> state;
  return state;
}

// ---------------------------------------------------------------------------
// ECMAScript pattern -> PCRE2 pattern.

using Unit = uint32_t;
struct UnitRange {
  Unit lo;
  Unit hi;
};
using UnitSet = std::vector<UnitRange>;

bool IsAsciiDigit(Unit c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlnum(Unit c) {
  return IsAsciiDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
int HexValue(Unit c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

void Normalize(UnitSet& set) {
  std::sort(set.begin(), set.end(), [](const UnitRange& a, const UnitRange& b) { return a.lo < b.lo; });
  UnitSet merged;
  for (const UnitRange& r : set) {
    if (!merged.empty() && (r.lo <= merged.back().hi || r.lo - 1 == merged.back().hi)) {
      merged.back().hi = std::max(merged.back().hi, r.hi);
    } else {
      merged.push_back(r);
    }
  }
  set.swap(merged);
}

UnitSet Complement(UnitSet set, Unit maxUnit) {
  Normalize(set);
  UnitSet out;
  Unit next = 0;
  bool done = false;
  for (const UnitRange& r : set) {
    if (r.lo > next) out.push_back({next, r.lo - 1});
    if (r.hi >= maxUnit) {
      done = true;
      break;
    }
    next = r.hi + 1;
  }
  if (!done) out.push_back({next, maxUnit});
  return out;
}

UnitSet DigitSet() { return {{'0', '9'}}; }
UnitSet WordSet() { return {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}}; }
// White space and line terminators. Byte strings are CP932, where only the
// ASCII values are spaces (0xA0 is a half-width katakana position).
UnitSet SpaceSet(bool wide) {
  UnitSet set{{0x09, 0x0D}, {0x20, 0x20}};
  if (wide) {
    set.insert(set.end(), {{0xA0, 0xA0},
                           {0x1680, 0x1680},
                           {0x2000, 0x200A},
                           {0x2028, 0x2029},
                           {0x202F, 0x202F},
                           {0x205F, 0x205F},
                           {0x3000, 0x3000},
                           {0xFEFF, 0xFEFF}});
  }
  return set;
}
UnitSet LineTerminatorSet(bool wide) {
  UnitSet set{{0x0A, 0x0A}, {0x0D, 0x0D}};
  if (wide) set.push_back({0x2028, 0x2029});
  return set;
}

template <class CharT>
class PatternTranslator {
 public:
  using String = std::basic_string<CharT>;
  using View = std::basic_string_view<CharT>;
  static constexpr bool kWide = sizeof(CharT) > 1;
  static constexpr Unit kMaxUnit = kWide ? 0x7FFFFFFF : 0xFF;

  explicit PatternTranslator(View pattern) : src_(pattern) {}

  // Fills output(); false with error() set when the pattern is not valid
  // ECMAScript (as far as the wrapper checks; PCRE2 checks the rest).
  bool Run() {
    bool canRepeat = false;
    bool topLevelBar = false;
    const bool leadingDotRun =
        src_.size() >= 2 && Char(0) == '.' && (Char(1) == '*' || Char(1) == '+');
    while (pos_ < src_.size()) {
      const Unit c = Char(pos_);
      switch (c) {
        case '\\':
          if (!TranslateEscape(canRepeat)) return false;
          break;
        case '.':
          ++pos_;
          EmitSet(LineTerminatorSet(kWide), true);
          canRepeat = true;
          break;
        case '[':
          if (!TranslateClass()) return false;
          canRepeat = true;
          break;
        case '(':
          if (!OpenGroup()) return false;
          canRepeat = false;
          break;
        case ')':
          if (open_.empty()) return Fail("対応する開きかっこ「(」のない「)」があります");
          open_.pop_back();
          ++pos_;
          Raw(')');
          canRepeat = true;
          break;
        case '|':
          if (open_.empty()) topLevelBar = true;
          ++pos_;
          Raw('|');
          canRepeat = false;
          break;
        case '^':
        case '$':
          ++pos_;
          Raw(c);
          canRepeat = false;
          break;
        case '*':
        case '+':
        case '?':
          if (!canRepeat) return Fail("繰り返し（*、+、?、{}）の前に繰り返せるものがありません");
          ++pos_;
          Raw(c);
          TakeLazyMark();
          canRepeat = false;
          break;
        case '{': {
          if (TranslateBraces(canRepeat)) {
            if (!error_.empty()) return false;
            canRepeat = false;
          } else {
            ++pos_;
            EmitLiteral('{');
            canRepeat = true;
          }
          break;
        }
        default:
          ++pos_;
          if (!TakeDoubleByte(c)) EmitLiteral(c);
          canRepeat = true;
          break;
      }
    }
    if (!open_.empty()) return Fail("閉じかっこ「)」が足りません");
    if (leadingDotRun && !topLevelBar) {
      // A match of ".*X" / ".+X" can only begin where the search starts or
      // right after a line terminator (anywhere else one more character
      // would have matched earlier). Saying so keeps a failing search
      // linear on a long line instead of quadratic.
      String guard;
      Append(guard, "(?:\\G|(?<=");
      std::swap(guard, out_);
      EmitSet(LineTerminatorSet(kWide), false);
      std::swap(guard, out_);
      Append(guard, "))");
      out_.insert(0, guard);
    }
    return true;
  }

  const String& output() const { return out_; }
  const std::string& error() const { return error_; }
  size_t groupCount() const { return groups_; }

 private:
  static void Append(String& s, const char* ascii) {
    for (; *ascii != '\0'; ++ascii) s.push_back(static_cast<CharT>(*ascii));
  }
  Unit Char(size_t i) const { return static_cast<Unit>(src_[i]); }
  bool Fail(const char* why) {
    error_ = why;
    return false;
  }
  void Raw(Unit c) { out_.push_back(static_cast<CharT>(c)); }

  // A literal code unit: ASCII punctuation is escaped (a backslash before a
  // non-alphanumeric character is always literal in PCRE2), the rest is kept.
  void EmitLiteral(Unit c) {
    if (c >= 0x20 && c < 0x7F && !IsAsciiAlnum(c)) Raw('\\');
    Raw(c);
  }

  // In byte strings a CP932 lead byte and the byte after it are one literal
  // character: the trail byte may be "[", "\\" or "|" and must not act as
  // syntax, and a quantifier after the character repeats both bytes.
  bool IsDoubleByteAt(Unit c) const {
    return !kWide && IsCp932LeadByte(static_cast<unsigned char>(c)) && pos_ < src_.size();
  }
  bool TakeDoubleByte(Unit lead) {
    if (!IsDoubleByteAt(lead)) return false;
    Append(out_, "(?:");
    Raw(lead);
    EmitLiteral(Char(pos_++));
    Raw(')');
    return true;
  }

  void EmitSet(UnitSet set, bool negated) {
    Normalize(set);
    Raw('[');
    if (negated) Raw('^');
    for (const UnitRange& r : set) {
      EmitLiteral(r.lo);
      if (r.hi != r.lo) {
        if (r.hi != r.lo + 1) Raw('-');
        EmitLiteral(r.hi);
      }
    }
    Raw(']');
  }

  void TakeLazyMark() {
    if (pos_ < src_.size() && Char(pos_) == '?') {
      ++pos_;
      Raw('?');
    }
  }

  bool ReadHex(size_t digits, Unit* value) {
    if (pos_ + digits > src_.size()) return false;
    Unit v = 0;
    for (size_t i = 0; i < digits; ++i) {
      const int h = HexValue(Char(pos_ + i));
      if (h < 0) return false;
      v = v * 16 + static_cast<Unit>(h);
    }
    pos_ += digits;
    *value = v;
    return true;
  }

  // Escapes that stand for one code unit, shared by classes and the rest.
  // Returns 1 when *unit was set, 0 when the escape is not one of these,
  // -1 on error.
  int CharacterEscape(Unit e, Unit* unit) {
    switch (e) {
      case 'n': *unit = 0x0A; return 1;
      case 'r': *unit = 0x0D; return 1;
      case 't': *unit = 0x09; return 1;
      case 'f': *unit = 0x0C; return 1;
      case 'v': *unit = 0x0B; return 1;
      case '0': *unit = 0x00; return 1;
      case 'c':
        if (pos_ < src_.size()) {
          const Unit l = Char(pos_);
          if ((l >= 'A' && l <= 'Z') || (l >= 'a' && l <= 'z')) {
            ++pos_;
            *unit = l % 32;
            return 1;
          }
        }
        Fail("\\c の後には英字が必要です");
        return -1;
      case 'x':
        if (!ReadHex(2, unit)) {
          Fail("\\x の後には 16 進数 2 桁が必要です");
          return -1;
        }
        return 1;
      case 'u':
        if (!ReadHex(4, unit)) {
          Fail("\\u の後には 16 進数 4 桁が必要です");
          return -1;
        }
        if (*unit > kMaxUnit) {
          Fail("\\u の文字はこの対象（バイト列）では使えません");
          return -1;
        }
        return 1;
      default:
        return 0;
    }
  }

  static bool ClassEscapeSet(Unit e, UnitSet* set, bool* negated) {
    switch (e) {
      case 'd': case 'D': *set = DigitSet(); break;
      case 's': case 'S': *set = SpaceSet(kWide); break;
      case 'w': case 'W': *set = WordSet(); break;
      default: return false;
    }
    *negated = e == 'D' || e == 'S' || e == 'W';
    return true;
  }

  bool TranslateEscape(bool& canRepeat) {
    ++pos_;
    if (pos_ >= src_.size()) return Fail("パターンが「\\」で終わっています");
    const Unit e = Char(pos_++);
    UnitSet set;
    bool negated = false;
    if (ClassEscapeSet(e, &set, &negated)) {
      EmitSet(set, negated);
      canRepeat = true;
      return true;
    }
    if (e == 'b' || e == 'B') {
      Raw('\\');
      Raw(e);
      canRepeat = false;
      return true;
    }
    if (e >= '1' && e <= '9') {
      size_t number = e - '0';
      while (pos_ < src_.size() && IsAsciiDigit(Char(pos_))) {
        number = number * 10 + (Char(pos_++) - '0');
        if (number > 100000) return Fail("後方参照の番号が大きすぎます");
      }
      if (number > groups_) return Fail("後方参照が、それより前にないグループを指しています");
      if (std::find(open_.begin(), open_.end(), number) != open_.end()) {
        return Fail("後方参照が、まだ閉じていないグループを指しています");
      }
      Append(out_, "\\g{");
      Append(out_, std::to_string(number).c_str());
      Raw('}');
      canRepeat = true;
      return true;
    }
    if (TakeDoubleByte(e)) {
      canRepeat = true;
      return true;
    }
    Unit unit = e;
    if (CharacterEscape(e, &unit) < 0) return false;
    EmitLiteral(unit);  // a known escape's value, or the character itself
    canRepeat = true;
    return true;
  }

  // One element of a class: a single unit, or a set for \d \s \w and their
  // negations. Returns false on error.
  // A named class "[:name:]" inside brackets, as the C++ library's
  // ECMAScript grammar allows (classes of the "C" locale). Sets found when
  // one starts here; an unknown or unclosed name makes it return false.
  bool NamedClass(bool* found, UnitSet* set) {
    *found = false;
    if (pos_ + 1 >= src_.size() || Char(pos_) != '[' || Char(pos_ + 1) != ':') return true;
    size_t end = pos_ + 2;
    while (end + 1 < src_.size() && !(Char(end) == ':' && Char(end + 1) == ']')) ++end;
    if (end + 1 >= src_.size()) return Fail("文字クラスの「[:」に対応する「:]」がありません");
    std::string name;
    for (size_t i = pos_ + 2; i < end; ++i) name += static_cast<char>(Char(i) < 0x80 ? Char(i) : '?');
    static const std::pair<const char*, UnitSet> kClasses[] = {
        {"alnum", {{'0', '9'}, {'A', 'Z'}, {'a', 'z'}}},
        {"alpha", {{'A', 'Z'}, {'a', 'z'}}},
        {"blank", {{'\t', '\t'}, {' ', ' '}}},
        {"cntrl", {{0x00, 0x1F}, {0x7F, 0x7F}}},
        {"d", {{'0', '9'}}},
        {"digit", {{'0', '9'}}},
        {"graph", {{0x21, 0x7E}}},
        {"lower", {{'a', 'z'}}},
        {"print", {{0x20, 0x7E}}},
        {"punct", {{0x21, 0x2F}, {0x3A, 0x40}, {0x5B, 0x60}, {0x7B, 0x7E}}},
        {"s", {{'\t', '\r'}, {' ', ' '}}},
        {"space", {{'\t', '\r'}, {' ', ' '}}},
        {"upper", {{'A', 'Z'}}},
        {"w", {{'0', '9'}, {'A', 'Z'}, {'_', '_'}, {'a', 'z'}}},
        {"xdigit", {{'0', '9'}, {'A', 'F'}, {'a', 'f'}}},
    };
    for (const auto& [className, ranges] : kClasses) {
      if (name == className) {
        *set = ranges;
        *found = true;
        pos_ = end + 2;
        return true;
      }
    }
    return Fail("文字クラスの名前が正しくありません");
  }

  bool ClassAtom(bool* isSet, Unit* unit, UnitSet* set) {
    *isSet = false;
    bool named = false;
    if (!NamedClass(&named, set)) return false;
    if (named) {
      *isSet = true;
      return true;
    }
    const Unit c = Char(pos_++);
    if (IsDoubleByteAt(c)) {  // a class holds bytes: both bytes join it
      *set = {{c, c}, {Char(pos_), Char(pos_)}};
      ++pos_;
      *isSet = true;
      return true;
    }
    if (c != '\\') {
      *unit = c;
      return true;
    }
    if (pos_ >= src_.size()) return Fail("文字クラスの閉じかっこ「]」がありません");
    const Unit e = Char(pos_++);
    bool negated = false;
    if (ClassEscapeSet(e, set, &negated)) {
      if (negated) *set = Complement(*set, kMaxUnit);
      *isSet = true;
      return true;
    }
    if (e == 'b') {
      *unit = 0x08;
      return true;
    }
    if (e >= '1' && e <= '9') return Fail("文字クラスの中で後方参照は使えません");
    *unit = e;
    return CharacterEscape(e, unit) >= 0;
  }

  bool TranslateClass() {
    ++pos_;
    bool negated = false;
    if (pos_ < src_.size() && Char(pos_) == '^') {
      negated = true;
      ++pos_;
    }
    UnitSet ranges;
    for (;;) {
      if (pos_ >= src_.size()) return Fail("文字クラスの閉じかっこ「]」がありません");
      if (Char(pos_) == ']') {
        ++pos_;
        break;
      }
      bool isSet = false;
      Unit lo = 0;
      UnitSet set;
      if (!ClassAtom(&isSet, &lo, &set)) return false;
      if (isSet) {
        ranges.insert(ranges.end(), set.begin(), set.end());
        continue;
      }
      if (pos_ + 1 < src_.size() && Char(pos_) == '-' && Char(pos_ + 1) != ']') {
        ++pos_;
        bool hiIsSet = false;
        Unit hi = 0;
        UnitSet hiSet;
        if (!ClassAtom(&hiIsSet, &hi, &hiSet)) return false;
        if (hiIsSet) {  // "a-\d": no range, the three parts as they are
          ranges.push_back({lo, lo});
          ranges.push_back({'-', '-'});
          ranges.insert(ranges.end(), hiSet.begin(), hiSet.end());
          continue;
        }
        if (hi < lo) return Fail("文字クラスの範囲の順序が逆です");
        ranges.push_back({lo, hi});
        continue;
      }
      ranges.push_back({lo, lo});
    }
    if (ranges.empty()) {
      // "[]" matches nothing and "[^]" anything (PCRE2_ALLOW_EMPTY_CLASS).
      Raw('[');
      if (negated) Raw('^');
      Raw(']');
      return true;
    }
    EmitSet(ranges, negated);
    return true;
  }

  bool OpenGroup() {
    ++pos_;
    if (pos_ < src_.size() && Char(pos_) == '?') {
      const View rest = src_.substr(pos_ + 1);
      auto startsWith = [&rest](const char* ascii) {
        size_t i = 0;
        for (; ascii[i] != '\0'; ++i) {
          if (i >= rest.size() || static_cast<Unit>(rest[i]) != static_cast<Unit>(ascii[i])) return false;
        }
        return true;
      };
      for (const char* kind : {":", "=", "!", "<=", "<!"}) {
        if (startsWith(kind)) {
          Raw('(');
          Raw('?');
          Append(out_, kind);
          pos_ += 1 + std::char_traits<char>::length(kind);
          open_.push_back(0);
          return true;
        }
      }
      return Fail("「(?」の後に使えないグループの種類があります");
    }
    ++groups_;
    open_.push_back(groups_);
    Raw('(');
    return true;
  }

  // "{n}", "{n,}" or "{n,m}" at pos_: emits the quantifier and returns true
  // (error() set when it is misplaced or out of order). Any other "{" is a
  // literal and the function returns false.
  bool TranslateBraces(bool canRepeat) {
    size_t i = pos_ + 1;
    auto number = [&](uint64_t* value) {
      const size_t begin = i;
      uint64_t v = 0;
      while (i < src_.size() && IsAsciiDigit(Char(i))) {
        v = std::min<uint64_t>(v * 10 + (Char(i) - '0'), 1u << 30);
        ++i;
      }
      *value = v;
      return i > begin;
    };
    uint64_t lo = 0;
    uint64_t hi = 0;
    if (!number(&lo)) return false;
    bool bounded = true;
    if (i < src_.size() && Char(i) == ',') {
      ++i;
      bounded = number(&hi);
    } else {
      hi = lo;
    }
    if (i >= src_.size() || Char(i) != '}') return false;
    if (!canRepeat) return !Fail("繰り返し（*、+、?、{}）の前に繰り返せるものがありません");
    if (bounded && hi < lo) return !Fail("{} の中の数の順序が逆です");
    Raw('{');
    Append(out_, std::to_string(lo).c_str());
    if (hi != lo || !bounded) Raw(',');
    if (bounded && hi != lo) Append(out_, std::to_string(hi).c_str());
    Raw('}');
    pos_ = i + 1;
    TakeLazyMark();
    return true;
  }

  View src_;
  size_t pos_ = 0;
  String out_;
  std::string error_;
  size_t groups_ = 0;
  std::vector<size_t> open_;  // open groups: capture number, 0 for others
};

}  // namespace

// ---------------------------------------------------------------------------

template <class CharT>
struct BasicRegex<CharT>::Impl {
  using P = Pcre<CharT>;
  typename P::Code* code = nullptr;
  // MatchAt runs an anchored copy, compiled on first use: anchoring at match
  // time would leave the JIT for the slower interpreter.
  mutable std::once_flag anchoredOnce;
  mutable typename P::Code* anchored = nullptr;
  String translated;
  std::string error;
  size_t groups = 0;

  ~Impl() {
    if (code != nullptr) P::Free(code);
    if (anchored != nullptr) P::Free(anchored);
  }

  static constexpr uint32_t kCompileOptions = PCRE2_ALLOW_EMPTY_CLASS | PCRE2_ALT_BSUX |
                                              PCRE2_DOLLAR_ENDONLY |
                                              PCRE2_NEVER_UTF | PCRE2_NEVER_UCP |
                                              PCRE2_NEVER_BACKSLASH_C;

  typename P::Code* CompileTranslated(uint32_t extra, std::string* why) const {
    typename P::CompileContext* cc = P::NewCompileContext();
    if (cc != nullptr) P::SetNewline(cc);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    static const CharT kNothing[1] = {};
    const CharT* data = translated.empty() ? kNothing : translated.data();
    typename P::Code* compiled =
        P::Compile(data, translated.size(), kCompileOptions | extra, &errorCode, &errorOffset, cc);
    if (cc != nullptr) P::Free(cc);
    if (compiled == nullptr) {
      if (why != nullptr) *why = PatternErrorText(errorCode);
      return nullptr;
    }
    P::JitCompile(compiled);  // without JIT the interpreter runs, same limits
    return compiled;
  }

  const typename P::Code* Anchored() const {
    std::call_once(anchoredOnce, [this] { anchored = CompileTranslated(PCRE2_ANCHORED, nullptr); });
    return anchored;
  }

  // Runs one match; fills the match data of this thread. True on a match.
  bool Run(View subject, size_t start, bool anchoredAt, uint32_t options,
           typename P::MatchData** dataOut) const {
    if (code == nullptr || start > subject.size()) return false;
    const typename P::Code* which = anchoredAt ? Anchored() : code;
    if (which == nullptr) return false;
    ThreadMatchState<CharT>& state = MatchState<CharT>();
    typename P::MatchData* data = state.DataFor(static_cast<uint32_t>(groups + 1));
    typename P::MatchContext* context = state.context();
    if (data == nullptr || context == nullptr) return false;
    static const CharT kNothing[1] = {};
    const CharT* text = subject.empty() ? kNothing : subject.data();
    const size_t length = subject.size();

    auto matchOnce = [&](size_t from) {
      int rc = P::Match(which, text, length, from, options, data, context);
      if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
        // Deep but legitimate backtracking: the interpreter keeps its
        // frames on the heap, under the heap limit.
        rc = P::Match(which, text, length, from, options | PCRE2_NO_JIT, data, context);
      }
      return rc;
    };

    int rc = PCRE2_ERROR_NOMATCH;
    if (anchoredAt || length - start <= kFirstSlice) {
      P::SetOffsetLimit(context, PCRE2_UNSET);
      rc = matchOnce(start);
    } else {
      const auto began = std::chrono::steady_clock::now();
      size_t from = start;
      size_t slice = kFirstSlice;
      for (;;) {
        const bool last = length - from <= slice;
        P::SetOffsetLimit(context, last ? PCRE2_UNSET : from + slice - 1);
        rc = matchOnce(from);
        if (rc != PCRE2_ERROR_NOMATCH || last) break;
        from += slice;
        slice = std::min(slice * 2, kMaxSlice);
        const auto now = std::chrono::steady_clock::now();
        if (now - began > kSearchTimeBudget || PastDeadline(now)) {
          rc = PCRE2_ERROR_MATCHLIMIT;
          break;
        }
      }
      P::SetOffsetLimit(context, PCRE2_UNSET);
    }
    if (rc == PCRE2_ERROR_NOMATCH) return false;
    if (rc < 0) {
      g_limitHits.fetch_add(1, std::memory_order_relaxed);
      return false;
    }
    *dataOut = data;
    return true;
  }

  void Fill(typename P::MatchData* data, Match* match) const {
    const PCRE2_SIZE* ov = P::Ovector(data);
    match->groups.resize(groups + 1);
    for (size_t i = 0; i <= groups; ++i) {
      Group& g = match->groups[i];
      if (ov[2 * i] == PCRE2_UNSET) {
        g = Group{};
      } else {
        g.begin = ov[2 * i];
        g.end = ov[2 * i + 1];
        g.matched = true;
      }
    }
  }
};

template <class CharT>
BasicRegex<CharT>::BasicRegex() = default;

template <class CharT>
BasicRegex<CharT>::BasicRegex(View pattern) : impl_(std::make_unique<Impl>()) {
  PatternTranslator<CharT> translator(pattern);
  if (!translator.Run()) {
    impl_->error = translator.error();
    return;
  }
  impl_->translated = translator.output();
  impl_->code = impl_->CompileTranslated(PCRE2_USE_OFFSET_LIMIT, &impl_->error);
  if (impl_->code != nullptr) {
    impl_->groups = Pcre<CharT>::CaptureCount(impl_->code);
  } else if (impl_->error.empty()) {
    impl_->error = "正規表現として解釈できません";
  }
}

template <class CharT>
BasicRegex<CharT>::~BasicRegex() = default;
template <class CharT>
BasicRegex<CharT>::BasicRegex(BasicRegex&&) noexcept = default;
template <class CharT>
BasicRegex<CharT>& BasicRegex<CharT>::operator=(BasicRegex&&) noexcept = default;

template <class CharT>
bool BasicRegex<CharT>::valid() const {
  return impl_ != nullptr && impl_->code != nullptr;
}

template <class CharT>
const std::string& BasicRegex<CharT>::error() const {
  static const std::string kEmptyRegex = "正規表現がありません";
  if (impl_ == nullptr) return kEmptyRegex;
  return impl_->error;
}

template <class CharT>
size_t BasicRegex<CharT>::groupCount() const {
  return valid() ? impl_->groups : 0;
}

template <class CharT>
bool BasicRegex<CharT>::Search(View subject, Match* match, size_t start) const {
  if (!valid()) return false;
  typename Pcre<CharT>::MatchData* data = nullptr;
  if (!impl_->Run(subject, start, false, 0, &data)) return false;
  if (match != nullptr) impl_->Fill(data, match);
  return true;
}

template <class CharT>
bool BasicRegex<CharT>::MatchAt(View subject, size_t start, Match* match) const {
  if (!valid()) return false;
  typename Pcre<CharT>::MatchData* data = nullptr;
  if (!impl_->Run(subject, start, true, 0, &data)) return false;
  if (match != nullptr) impl_->Fill(data, match);
  return true;
}

namespace {

// The format expander with an explicit start for "$`": in a replace-all run
// the prefix of a match begins where the previous match ended.
template <class CharT>
void ExpandWithPrefix(std::basic_string_view<CharT> subject,
                      const typename BasicRegex<CharT>::Match& match, size_t prefixBegin,
                      std::basic_string_view<CharT> format, std::basic_string<CharT>& out) {
  auto group = [&](size_t i) {
    if (i >= match.groups.size()) return;
    const auto& g = match.groups[i];
    if (g.matched) out.append(subject.substr(g.begin, g.end - g.begin));
  };
  auto isDigit = [](CharT c) { return c >= CharT('0') && c <= CharT('9'); };
  size_t i = 0;
  const size_t n = format.size();
  while (i < n) {
    const size_t dollar = format.find(CharT('$'), i);
    if (dollar == format.npos) break;
    out.append(format.substr(i, dollar - i));
    i = dollar + 1;
    if (i == n) {
      out.push_back(CharT('$'));
      break;
    }
    const CharT c = format[i];
    if (c == CharT('$')) {
      out.push_back(CharT('$'));
      ++i;
    } else if (c == CharT('&')) {
      group(0);
      ++i;
    } else if (c == CharT('`')) {
      const size_t b = std::min(prefixBegin, match.begin());
      out.append(subject.substr(b, match.begin() - b));
      ++i;
    } else if (c == CharT('\'')) {
      out.append(subject.substr(match.end()));
      ++i;
    } else if (isDigit(c)) {
      // Two digits are always taken when present; a number past the last
      // group expands to nothing.
      size_t number = static_cast<size_t>(c - CharT('0'));
      ++i;
      if (i < n && isDigit(format[i])) {
        number = number * 10 + static_cast<size_t>(format[i] - CharT('0'));
        ++i;
      }
      group(number);
    } else {
      out.push_back(CharT('$'));  // the character after it is copied as text
    }
  }
  if (i < n) out.append(format.substr(i));
}

}  // namespace

template <class CharT>
void BasicRegex<CharT>::ExpandFormat(View subject, const Match& match, View format, String& out) {
  ExpandWithPrefix<CharT>(subject, match, 0, format, out);
}

template <class CharT>
bool BasicRegex<CharT>::ReplaceAllBounded(View subject, View format, String& out, size_t maxOutput,
                                          size_t* countOut) const {
  *countOut = 0;
  if (!valid()) {
    out.append(subject);
    return out.size() <= maxOutput;
  }
  const bool timed = t_deadline != std::chrono::steady_clock::time_point::max();
  // Formats without "$" need no expansion; most fixed rewrites are such.
  const bool literalFormat = format.find(CharT('$')) == View::npos;
  Match match;
  typename Pcre<CharT>::MatchData* data = nullptr;
  size_t copied = 0;  // end of the previous match: start of the next prefix
  size_t count = 0;
  bool found = impl_->Run(subject, 0, false, 0, &data);
  while (found) {
    const PCRE2_SIZE* ov = Pcre<CharT>::Ovector(data);
    const size_t begin = ov[0];
    const size_t end = ov[1];
    out.append(subject.substr(copied, begin - copied));
    if (literalFormat) {
      out.append(format);
    } else {
      impl_->Fill(data, &match);
      ExpandWithPrefix<CharT>(subject, match, copied, format, out);
    }
    ++count;
    *countOut = count;
    copied = end;
    if (out.size() > maxOutput || (timed && PastDeadline())) return false;
    if (begin == end) {
      // After an empty match: a non-empty match right here, else search on
      // from the next character. In CP932 bytes that skips a whole
      // double-byte character, so no replacement lands between its bytes.
      if (end == subject.size()) break;
      size_t next = end + 1;
      if constexpr (sizeof(CharT) == 1) {
        if (IsCp932LeadByte(static_cast<unsigned char>(subject[end])) && next < subject.size()) ++next;
      }
      found = impl_->Run(subject, end, true, PCRE2_NOTEMPTY_ATSTART, &data) ||
              impl_->Run(subject, next, false, 0, &data);
    } else {
      found = impl_->Run(subject, end, false, 0, &data);
    }
  }
  out.append(subject.substr(copied));
  *countOut = count;
  return out.size() <= maxOutput;
}

template <class CharT>
size_t BasicRegex<CharT>::ReplaceAllInto(View subject, View format, String& out) const {
  size_t count = 0;
  ReplaceAllBounded(subject, format, out, static_cast<size_t>(-1), &count);
  return count;
}

template <class CharT>
typename BasicRegex<CharT>::String BasicRegex<CharT>::ReplaceAll(View subject, View format) const {
  String out;
  out.reserve(subject.size());
  ReplaceAllInto(subject, format, out);
  return out;
}

template class BasicRegex<char>;
template class BasicRegex<char32_t>;

uint64_t RegexLimitHits() { return g_limitHits.load(std::memory_order_relaxed); }

ScopedRegexDeadline::ScopedRegexDeadline(std::chrono::steady_clock::duration budget) : previous_(t_deadline) {
  const auto deadline = std::chrono::steady_clock::now() + budget;
  if (deadline < t_deadline) t_deadline = deadline;
}

ScopedRegexDeadline::~ScopedRegexDeadline() { t_deadline = previous_; }

bool ScopedRegexDeadline::Passed() { return PastDeadline(); }

}  // namespace kanro::text
