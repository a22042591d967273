#pragma once
// The Blowfish cipher (16 rounds, standard tables) as the stored proxy
// password uses it: ECB, each 8-byte block read as two little-endian 32-bit
// halves, zero padding to a multiple of 8.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One key schedule; it lives for one encipher or decipher call.
struct BLOWFISHCTX {
  std::vector<uint32_t> p;  // 18 words
  std::vector<uint32_t> s;  // 4 x 256 words, S-box 1 first
};

// Fills ctx from the standard tables and the key (bytes taken cyclically,
// four to a word, first byte most significant). An empty key leaves the
// tables unmixed before the schedule runs.
void BlowfishSetKey(std::string_view key, BLOWFISHCTX& ctx);

// Zero-pads buffer to a multiple of 8 and enciphers it in place; returns the
// padded length.
size_t BlowfishEncrypt(std::string& buffer, const BLOWFISHCTX& ctx);

// Deciphers buffer in place, block by block; a trailing partial block is
// zero-padded to a whole one first. Returns the resulting length.
size_t BlowfishDecrypt(std::string& buffer, const BLOWFISHCTX& ctx);

// One block, halves as numbers (for the published test vectors).
void BlowfishEncipherBlock(uint32_t& left, uint32_t& right, const BLOWFISHCTX& ctx);
void BlowfishDecipherBlock(uint32_t& left, uint32_t& right, const BLOWFISHCTX& ctx);

namespace kanro::net {

// The key the stored proxy password is enciphered with.
inline constexpr std::string_view kProxyPasswordKey = "kqz";

// The stored form of a proxy password (CP932 bytes): the text, a zero byte,
// zero padding to a multiple of 8, enciphered. An empty password is stored
// as no bytes at all.
std::string EncipherProxyPassword(std::string_view plain);

// The password held by a stored value: the deciphered text up to its first
// zero byte. Nothing when the value is empty or its length is not a multiple
// of 8 (no valid value looks like that).
std::optional<std::string> DecipherProxyPassword(std::string_view stored);

}  // namespace kanro::net
