#include "net/blowfish.h"

#include <algorithm>

#include "net/blowfish_tables.h"

namespace {

constexpr int kRounds = 16;

uint32_t F(const BLOWFISHCTX& ctx, uint32_t x) {
  const uint32_t* s = ctx.s.data();
  uint32_t a = s[(x >> 24) & 0xFF];
  uint32_t b = s[256 + ((x >> 16) & 0xFF)];
  uint32_t c = s[512 + ((x >> 8) & 0xFF)];
  uint32_t d = s[768 + (x & 0xFF)];
  return ((a + b) ^ c) + d;
}

uint32_t LoadLittleEndian(const char* bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void StoreLittleEndian(uint32_t value, char* bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PadToBlocks(std::string& buffer) {
  buffer.resize((buffer.size() + 7) / 8 * 8, '\0');
}

}  // namespace

void BlowfishEncipherBlock(uint32_t& left, uint32_t& right, const BLOWFISHCTX& ctx) {
  uint32_t l = left, r = right;
  for (int i = 0; i < kRounds; ++i) {
    l ^= ctx.p[i];
    r ^= F(ctx, l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= ctx.p[kRounds];
  l ^= ctx.p[kRounds + 1];
  left = l;
  right = r;
}

void BlowfishDecipherBlock(uint32_t& left, uint32_t& right, const BLOWFISHCTX& ctx) {
  uint32_t l = left, r = right;
  for (int i = kRounds + 1; i > 1; --i) {
    l ^= ctx.p[i];
    r ^= F(ctx, l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= ctx.p[1];
  l ^= ctx.p[0];
  left = l;
  right = r;
}

void BlowfishSetKey(std::string_view key, BLOWFISHCTX& ctx) {
  using kanro::net::kBlowfishInitP;
  using kanro::net::kBlowfishInitS;
  ctx.p.assign(std::begin(kBlowfishInitP), std::end(kBlowfishInitP));
  ctx.s.assign(&kBlowfishInitS[0][0], &kBlowfishInitS[0][0] + 4 * 256);

  if (!key.empty()) {
    size_t k = 0;
    for (auto& word : ctx.p) {
      uint32_t data = 0;
      for (int j = 0; j < 4; ++j) {
        data = (data << 8) | static_cast<unsigned char>(key[k]);
        k = (k + 1) % key.size();
      }
      word ^= data;
    }
  }

  uint32_t l = 0, r = 0;
  for (size_t i = 0; i < ctx.p.size(); i += 2) {
    BlowfishEncipherBlock(l, r, ctx);
    ctx.p[i] = l;
    ctx.p[i + 1] = r;
  }
  for (size_t i = 0; i < ctx.s.size(); i += 2) {
    BlowfishEncipherBlock(l, r, ctx);
    ctx.s[i] = l;
    ctx.s[i + 1] = r;
  }
}

size_t BlowfishEncrypt(std::string& buffer, const BLOWFISHCTX& ctx) {
  PadToBlocks(buffer);
  for (size_t i = 0; i < buffer.size(); i += 8) {
    uint32_t l = LoadLittleEndian(&buffer[i]);
    uint32_t r = LoadLittleEndian(&buffer[i + 4]);
    BlowfishEncipherBlock(l, r, ctx);
    StoreLittleEndian(l, &buffer[i]);
    StoreLittleEndian(r, &buffer[i + 4]);
  }
  return buffer.size();
}

size_t BlowfishDecrypt(std::string& buffer, const BLOWFISHCTX& ctx) {
  PadToBlocks(buffer);
  for (size_t i = 0; i < buffer.size(); i += 8) {
    uint32_t l = LoadLittleEndian(&buffer[i]);
    uint32_t r = LoadLittleEndian(&buffer[i + 4]);
    BlowfishDecipherBlock(l, r, ctx);
    StoreLittleEndian(l, &buffer[i]);
    StoreLittleEndian(r, &buffer[i + 4]);
  }
  return buffer.size();
}

namespace kanro::net {

std::string EncipherProxyPassword(std::string_view plain) {
  if (plain.empty()) return {};
  std::string buffer(plain);
  buffer.push_back('\0');
  BLOWFISHCTX ctx;
  BlowfishSetKey(kProxyPasswordKey, ctx);
  BlowfishEncrypt(buffer, ctx);
  return buffer;
}

std::optional<std::string> DecipherProxyPassword(std::string_view stored) {
  if (stored.empty() || stored.size() % 8 != 0) return std::nullopt;
  std::string buffer(stored);
  BLOWFISHCTX ctx;
  BlowfishSetKey(kProxyPasswordKey, ctx);
  BlowfishDecrypt(buffer, ctx);
  buffer.resize(std::min(buffer.find('\0'), buffer.size()));
  return buffer;
}

}  // namespace kanro::net
