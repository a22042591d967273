#pragma once
// The 47 prefectures: the program's numbering (1 to 47), display names and the
// codes the two listing sites use for them, and the six regions that group
// them on the download page.
#include <array>
#include <string>
#include <string_view>

namespace kanro::sites {

struct Prefecture {
  int number;
  std::string_view name;       // UTF-8; CLocation holds the CP932 form
  std::string_view yahooCode;  // the goo code is the number as "%03d"
};

inline constexpr std::array<Prefecture, 47> kPrefectures{{
    {1, "北海道", "10"},   {2, "青森県", "22"},   {3, "秋田県", "18"},   {4, "岩手県", "20"},
    {5, "山形県", "19"},   {6, "宮城県", "17"},   {7, "福島県", "21"},   {8, "東京都", "23"},
    {9, "神奈川県", "24"}, {10, "埼玉県", "29"},  {11, "千葉県", "27"},  {12, "群馬県", "25"},
    {13, "栃木県", "28"},  {14, "茨城県", "26"},  {15, "新潟県", "31"},  {16, "長野県", "30"},
    {17, "山梨県", "32"},  {18, "静岡県", "35"},  {19, "愛知県", "33"},  {20, "岐阜県", "39"},
    {21, "三重県", "38"},  {22, "富山県", "37"},  {23, "石川県", "34"},  {24, "福井県", "36"},
    {25, "大阪府", "40"},  {26, "京都府", "41"},  {27, "兵庫県", "42"},  {28, "奈良県", "44"},
    {29, "和歌山県", "43"}, {30, "滋賀県", "45"},  {31, "岡山県", "47"},  {32, "広島県", "46"},
    {33, "鳥取県", "49"},  {34, "島根県", "48"},  {35, "山口県", "50"},  {36, "香川県", "52"},
    {37, "徳島県", "53"},  {38, "愛媛県", "51"},  {39, "高知県", "54"},  {40, "福岡県", "55"},
    {41, "佐賀県", "61"},  {42, "長崎県", "57"},  {43, "熊本県", "56"},  {44, "大分県", "60"},
    {45, "宮崎県", "59"},  {46, "鹿児島県", "58"}, {47, "沖縄県", "62"},
}};

// A number outside 1 to 47 takes the name and Yahoo code of this one.
inline constexpr int kFallbackPrefecture = 8;

struct Region {
  std::string_view name;  // UTF-8
  int first;              // first and last prefecture number, inclusive
  int last;
};

// In the order the download page lists them.
inline constexpr std::array<Region, 6> kRegions{{
    {"北海道/東北", 1, 7},
    {"関東/甲信越", 8, 16},
    {"中部/北陸", 17, 24},
    {"近畿", 25, 30},
    {"中国/四国", 31, 39},
    {"九州/沖縄", 40, 47},
}};

// The CP932 form of a region's name.
const std::string& RegionNameCp932(size_t index);

class CLocation {
 public:
  CLocation() = default;
  virtual ~CLocation() = default;

  // Stores the number and sets the name, the Yahoo code and the goo code
  // (the number as "%03d"). A number outside 1 to 47 is kept as given and gets
  // the name and Yahoo code of number 8.
  void SetPrefecture(int number);

  std::string m_strName;       // CP932
  int m_nNumber = 0;
  std::string m_strYahooCode;
  std::string m_strGooCode;
};

}  // namespace kanro::sites
