#include "export/listing_day.h"

#include <array>

#include "export/civil_date.h"

namespace kanro::exports {
namespace {

struct GenreName {
  std::string_view ja;
  std::string_view en;
};

// The programme genres the listing sites number 00 to 15.
constexpr std::array<GenreName, 16> kGenres{{
    {"ニュース／報道", "News"},
    {"スポーツ", "Sports"},
    {"情報／ワイドショー", "Information"},
    {"ドラマ", "Drama"},
    {"音楽", "Music"},
    {"バラエティ", "Variety"},
    {"映画", "Movie"},
    {"アニメ／特撮", "Animation"},
    {"ドキュメンタリー／教養", "Documentary"},
    {"劇場／公演", "Theatre"},
    {"趣味／教育", "Education"},
    {"福祉", "Welfare"},
    {"", ""},
    {"", ""},
    {"", ""},
    {"その他", "Other"},
}};

}  // namespace

LocalDateTime ListingMoment(int listingDate, int minuteOfDay) {
  const int days = minuteOfDay >= 0 ? minuteOfDay / 1440 : -((1439 - minuteOfDay) / 1440);
  return LocalDateTime{AddDays(listingDate, days), minuteOfDay - days * 1440};
}

std::string_view GenreNameJa(int genre) {
  return genre >= 0 && genre < static_cast<int>(kGenres.size()) ? kGenres[static_cast<size_t>(genre)].ja : "";
}

std::string_view GenreNameEn(int genre) {
  return genre >= 0 && genre < static_cast<int>(kGenres.size()) ? kGenres[static_cast<size_t>(genre)].en : "";
}

}  // namespace kanro::exports
