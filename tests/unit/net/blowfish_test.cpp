#include "net/blowfish.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

uint64_t Enc(const std::string& keyHex, uint64_t plain) {
  BLOWFISHCTX ctx;
  BlowfishSetKey(FromHex(keyHex), ctx);
  uint32_t l = static_cast<uint32_t>(plain >> 32), r = static_cast<uint32_t>(plain);
  BlowfishEncipherBlock(l, r, ctx);
  uint64_t cipher = uint64_t(l) << 32 | r;
  BlowfishDecipherBlock(l, r, ctx);
  EXPECT_EQ(uint64_t(l) << 32 | r, plain);
  return cipher;
}

// The published test vectors (eight-byte keys, blocks as big-endian numbers).
TEST(BlowfishTest, PublishedVectors) {
  struct Vector {
    const char* key;
    uint64_t plain;
    uint64_t cipher;
  };
  const Vector vectors[] = {
      {"0000000000000000", 0x0000000000000000, 0x4EF997456198DD78},
      {"FFFFFFFFFFFFFFFF", 0xFFFFFFFFFFFFFFFF, 0x51866FD5B85ECB8A},
      {"3000000000000000", 0x1000000000000001, 0x7D856F9A613063F2},
      {"1111111111111111", 0x1111111111111111, 0x2466DD878B963C9D},
      {"0123456789ABCDEF", 0x1111111111111111, 0x61F9C3802281B096},
      {"1111111111111111", 0x0123456789ABCDEF, 0x7D0CC630AFDA1EC7},
      {"FEDCBA9876543210", 0x0123456789ABCDEF, 0x0ACEAB0FC6A0A28D},
      {"7CA110454A1A6E57", 0x01A1D6D039776742, 0x59C68245EB05282B},
      {"0131D9619DC1376E", 0x5CD54CA83DEF57DA, 0xB1B8CC0B250F09A0},
      {"07A1133E4A0B2686", 0x0248D43806F67172, 0x1730E5778BEA1DA4},
      {"3849674C2602319E", 0x51454B582DDF440A, 0xA25E7856CF2651EB},
      {"04B915BA43FEB5B6", 0x42FD443059577FA2, 0x353882B109CE8F1A},
      {"0113B970FD34F2CE", 0x059B5E0851CF143A, 0x48F4D0884C379918},
      {"0170F175468FB5E6", 0x0756D8E0774761D2, 0x432193B78951FC98},
      {"43297FAD38E373FE", 0x762514B829BF486A, 0x13F04154D69D1AE5},
      {"07A7137045DA2A16", 0x3BDD119049372802, 0x2EEDDA93FFD39C79},
      {"04689104C2FD3B2F", 0x26955F6835AF609A, 0xD887E0393C2DA6E3},
      {"37D06BB516CB7546", 0x164D5E404F275232, 0x5F99D04F5B163969},
      {"1F08260D1AC2465E", 0x6B056E18759F5CCA, 0x4A057A3B24D3977B},
      {"584023641ABA6176", 0x004BD6EF09176062, 0x452031C1E4FADA8E},
      {"025816164629B007", 0x480D39006EE762F2, 0x7555AE39F59B87BD},
      {"49793EBC79B3258F", 0x437540C8698F3CFA, 0x53C55F9CB49FC019},
      {"4FB05E1515AB73A7", 0x072D43A077075292, 0x7A8E7BFA937E89A3},
      {"49E95D6D4CA229BF", 0x02FE55778117F12A, 0xCF9C5D7A4986ADB5},
      {"018310DC409B26D6", 0x1D9D5C5018F728C2, 0xD1ABB290658BC778},
      {"1C587F1C13924FEF", 0x305532286D6F295A, 0x55CB3774D13EF201},
      {"0101010101010101", 0x0123456789ABCDEF, 0xFA34EC4847B268B2},
      {"1F1F1F1F0E0E0E0E", 0x0123456789ABCDEF, 0xA790795108EA3CAE},
      {"E0FEE0FEF1FEF1FE", 0x0123456789ABCDEF, 0xC39E072D9FAC631D},
      {"0000000000000000", 0xFFFFFFFFFFFFFFFF, 0x014933E0CDAFF6E4},
      {"FFFFFFFFFFFFFFFF", 0x0000000000000000, 0xF21E9A77B71C49BC},
      {"0123456789ABCDEF", 0x0000000000000000, 0x245946885754369A},
      {"FEDCBA9876543210", 0xFFFFFFFFFFFFFFFF, 0x6B5C5A9C5D9E0A5A},
  };
  for (const auto& v : vectors) {
    SCOPED_TRACE(v.key);
    EXPECT_EQ(Enc(v.key, v.plain), v.cipher);
  }
}

// Keys of 1 to 10 bytes (prefixes of one long key), the short key lengths
// the stored password's three-byte key falls among.
TEST(BlowfishTest, VariableKeyLengthVectors) {
  const std::string longKey = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
  const uint64_t expected[] = {0xF9AD597C49DB005E, 0xE91D21C1D961A6D6, 0xE9C2B70A1BC65CF3,
                               0xBE1E639408640F05, 0xB39E44481BDB1E6E, 0x9457AA83B1928C0D,
                               0x8BB77032F960629D, 0xE87A244E2CC85E82, 0x15750E7A4F4EC577,
                               0x122BA70B3AB64AE0};
  for (size_t length = 1; length <= 10; ++length) {
    SCOPED_TRACE(length);
    EXPECT_EQ(Enc(longKey.substr(0, 2 * length), 0xFEDCBA9876543210), expected[length - 1]);
  }
}

TEST(BlowfishTest, BuffersUseLittleEndianHalvesAndZeroPadding) {
  BLOWFISHCTX ctx;
  BlowfishSetKey("kqz", ctx);
  std::string buffer = "abcdefghij";
  EXPECT_EQ(BlowfishEncrypt(buffer, ctx), 16u);
  ASSERT_EQ(buffer.size(), 16u);

  // The first block as two little-endian numbers.
  uint32_t l = 0x64636261, r = 0x68676665;  // "abcd", "efgh"
  BlowfishEncipherBlock(l, r, ctx);
  std::string expected;
  for (uint32_t word : {l, r})
    for (int i = 0; i < 4; ++i) expected.push_back(static_cast<char>(word >> (8 * i)));
  EXPECT_EQ(buffer.substr(0, 8), expected);

  EXPECT_EQ(BlowfishDecrypt(buffer, ctx), 16u);
  EXPECT_EQ(buffer, std::string("abcdefghij\0\0\0\0\0\0", 16));
}

TEST(ProxyPasswordTest, StoredFormRoundTrips) {
  struct Case {
    size_t length;
    size_t stored;
  };
  for (auto [length, stored] : {Case{0, 0}, Case{1, 8}, Case{7, 8}, Case{8, 16}, Case{20, 24}}) {
    SCOPED_TRACE(length);
    std::string password;
    for (size_t i = 0; i < length; ++i) password.push_back(static_cast<char>('A' + i));
    std::string value = kanro::net::EncipherProxyPassword(password);
    EXPECT_EQ(value.size(), stored);
    if (length == 0) {
      EXPECT_EQ(kanro::net::DecipherProxyPassword(value), std::nullopt);
    } else {
      EXPECT_NE(value.substr(0, length), password);
      EXPECT_EQ(kanro::net::DecipherProxyPassword(value), password);
    }
  }
  // CP932 bytes, including trail bytes in the ASCII range, survive.
  const std::string cp932 = "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68";
  EXPECT_EQ(kanro::net::DecipherProxyPassword(kanro::net::EncipherProxyPassword(cp932)), cp932);
}

TEST(ProxyPasswordTest, AnyStoredValueIsSafeToRead) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 2000; ++round) {
    std::string value(random() % 70, '\0');
    for (auto& c : value) c = static_cast<char>(random());
    auto password = kanro::net::DecipherProxyPassword(value);
    if (value.empty() || value.size() % 8 != 0) {
      EXPECT_EQ(password, std::nullopt) << value.size();
    } else {
      ASSERT_TRUE(password.has_value());
      EXPECT_LE(password->size(), value.size());
      EXPECT_EQ(password->find('\0'), std::string::npos);
    }
  }
}

}  // namespace
