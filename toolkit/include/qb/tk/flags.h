#pragma once
// Enumerations whose values combine with |, so a reader sees each option by
// name. No platform headers.
#include <type_traits>

namespace qb::tk {

// Specialised as std::true_type for each enumeration of single-bit values.
template <typename E>
struct CombinableFlags : std::false_type {};

template <typename E, typename = std::enable_if_t<CombinableFlags<E>::value>>
constexpr E operator|(E a, E b) {
  using Bits = std::underlying_type_t<E>;
  return static_cast<E>(static_cast<Bits>(a) | static_cast<Bits>(b));
}

// Whether every flag of `wanted` is in `set`.
template <typename E, typename = std::enable_if_t<CombinableFlags<E>::value>>
constexpr bool includes(E set, E wanted) {
  using Bits = std::underlying_type_t<E>;
  return (static_cast<Bits>(set) & static_cast<Bits>(wanted)) == static_cast<Bits>(wanted);
}

}  // namespace qb::tk
