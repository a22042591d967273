#pragma once
// The HTML named character references, sorted by name (byte order), in a
// generated file (tools/generate_character_references.py). Only the decoder
// (character_reference.cpp) reads it.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kanro::text {

struct NamedReference {
  char32_t first;   // the character the name stands for
  char32_t second;  // a second one (a few names stand for two), else 0
  uint16_t offset;  // of the name in kReferenceNamePool
  uint8_t length;   // of the name, its ';' included when it has one

  std::string_view Name() const;
};

// Every name, one after another, in table order.
extern const char kReferenceNamePool[];
extern const NamedReference kNamedReferences[];
extern const size_t kNamedReferenceCount;
// Characters of the longest name (with its ';'), and of the longest legacy
// name, which also counts without a ';'.
extern const size_t kLongestReferenceName;
extern const size_t kLongestLegacyReferenceName;

inline std::string_view NamedReference::Name() const { return {kReferenceNamePool + offset, length}; }

}  // namespace kanro::text
