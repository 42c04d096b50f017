// Little-endian reads and writes of fixed-size values at a byte pointer.
//
// Every file the generator reads or writes stores its multi-byte values
// little-endian whatever the machine; these helpers spell that out byte by
// byte so no layout depends on the host's byte order or struct packing.
#pragma once

#include <bit>
#include <cstdint>

namespace kem {

inline void PutLe16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void PutLe32(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
  at[2] = static_cast<std::uint8_t>(value >> 16);
  at[3] = static_cast<std::uint8_t>(value >> 24);
}

// Two's complement, as the layout file stores its signed integers.
inline void PutLe32(std::uint8_t* at, std::int32_t value) {
  PutLe32(at, static_cast<std::uint32_t>(value));
}

// IEEE 754 single precision.
inline void PutFloat32(std::uint8_t* at, float value) {
  PutLe32(at, std::bit_cast<std::uint32_t>(value));
}

inline std::uint16_t GetLe16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

inline std::uint32_t GetLe32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

inline std::int32_t GetLe32Signed(const std::uint8_t* at) {
  return static_cast<std::int32_t>(GetLe32(at));
}

inline float GetFloat32(const std::uint8_t* at) {
  return std::bit_cast<float>(GetLe32(at));
}

}  // namespace kem
