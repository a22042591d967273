// The catalogue: its fixed order (positions are type indexes elsewhere) and
// exact lookup by key.
#include <gtest/gtest.h>

#include "app/settings_store.h"
#include "listing/html_producer_factory.h"
#include "listing/listing_types.h"
#include "text/codepage.h"

namespace kanro::listing {
namespace {

TEST(ProducerFactoryTest, HoldsTheSiteTypesThenTheSourcesInCatalogueOrderWithTheirNames) {
  CHtmlProducerFactory factory;
  const char* keys[] = {"GooTv", "GooBsDisital", "GooUhfBs", "YahooAm", "YahooFm",
                        "TunerGr", "TunerBs", "TunerCs", "Xmltv"};
  const char* names[] = {"地上波", "BSデジタル", "UHF・BSアナログ", "AMラジオ", "FMラジオ",
                         "地デジ(チューナー)", "BS(チューナー)", "CS(チューナー)", "XMLTV"};
  ASSERT_EQ(factory.m_producers.size(), std::size(keys));
  ASSERT_EQ(kListingTypes.size(), std::size(keys));
  for (size_t i = 0; i < std::size(keys); ++i) {
    EXPECT_EQ(factory.m_producers[i]->GetKey(), keys[i]) << i;
    EXPECT_EQ(text::Cp932ToUtf8(factory.m_producers[i]->GetName()), names[i]) << i;
    EXPECT_EQ(factory.m_producers[i]->GetKey(), kListingTypes[i].key) << "agrees with the shared table";
  }
}

TEST(ProducerFactoryTest, FindMatchesKeysExactly) {
  CHtmlProducerFactory factory;
  for (const auto& producer : factory.m_producers) EXPECT_EQ(factory.Find(producer->GetKey()), producer.get());
  EXPECT_EQ(factory.Find("GooBsDisital"), factory.m_producers[1].get());
  EXPECT_EQ(factory.Find("GooUhfBs"), factory.m_producers[2].get());

  for (const char* miss : {"gootv", "GOOTV", "", "GooTv ", " GooTv", "Goo", "GooTvX", "08GooTv"})
    EXPECT_EQ(factory.Find(miss), nullptr) << '"' << miss << '"';
}

TEST(ProducerFactoryTest, EachCatalogueReadsTheSettingsAnew) {
  app::DeleteAllProfileValues();
  WriteProfileInt("Download", "KeepFresh", 0);
  {
    CHtmlProducerFactory factory;
    for (const auto& producer : factory.m_producers) EXPECT_FALSE(producer->m_bKeepFresh);
  }
  WriteProfileInt("Download", "KeepFresh", 1);
  CHtmlProducerFactory factory;
  for (const auto& producer : factory.m_producers) EXPECT_TRUE(producer->m_bKeepFresh);
  app::DeleteAllProfileValues();
}

}  // namespace
}  // namespace kanro::listing
