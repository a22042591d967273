#include "export/listing_day.h"

#include <array>

#include "export/civil_date.h"

namespace kanro::exports {
namespace {

struct GenreName {
  std::string_view ja;
  std::string_view en;
};

// The programme genres the listing sites number 00 to 15. The English names
// are the content names of the DVB service information tables (ETSI EN 300
// 468), spelled exactly as there, since media centres match them as text;
// "Other" has no such name.
constexpr std::array<GenreName, 16> kGenres{{
    {"ニュース／報道", "News / Current affairs"},
    {"スポーツ", "Sports"},
    {"情報／ワイドショー", "Magazines / Reports / Documentary"},
    {"ドラマ", "Movie / Drama"},
    {"音楽", "Music / Ballet / Dance"},
    {"バラエティ", "Show / Game show"},
    {"映画", "Movie / Drama"},
    {"アニメ／特撮", "Children's / Youth programmes"},
    {"ドキュメンタリー／教養", "Education / Science / Factual topics"},
    {"劇場／公演", "Arts / Culture (without music)"},
    {"趣味／教育", "Leisure hobbies"},
    {"福祉", "Social / Political issues / Economics"},
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
