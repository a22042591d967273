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

// A selection of the published test vectors (eight-byte keys, blocks as
// big-endian numbers).
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
      {"0123456789ABCDEF", 0x1111111111111111, 0x61F9C3802281B096},
      {"FEDCBA9876543210", 0x0123456789ABCDEF, 0x0ACEAB0FC6A0A28D},
      {"7CA110454A1A6E57", 0x01A1D6D039776742, 0x59C68245EB05282B},
      {"0131D9619DC1376E", 0x5CD54CA83DEF57DA, 0xB1B8CC0B250F09A0},
      {"1C587F1C13924FEF", 0x305532286D6F295A, 0x55CB3774D13EF201},
      {"0101010101010101", 0x0123456789ABCDEF, 0xFA34EC4847B268B2},
      {"E0FEE0FEF1FEF1FE", 0x0123456789ABCDEF, 0xC39E072D9FAC631D},
      {"0000000000000000", 0xFFFFFFFFFFFFFFFF, 0x014933E0CDAFF6E4},
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
