#pragma once
// The standard initial tables of the Blowfish cipher.
#include <cstdint>

namespace kanro::net {

extern const uint32_t kBlowfishInitP[18];
extern const uint32_t kBlowfishInitS[4][256];

}  // namespace kanro::net
