// Fixed-width names for the widths the engine's data uses, and the few
// constants every subsystem shares (scores, the "no promotion" byte).
#pragma once
#include <cstdint>

typedef uint64_t u64;
typedef uint32_t u32;
typedef uint16_t u16;
typedef uint8_t u8;
typedef int64_t i64;
typedef int32_t i32;
typedef int16_t i16;
typedef int8_t i8;

// Promotion byte of every move that is not a promotion (0xEC).
constexpr char NoPromotion = (char)236;

constexpr int MateScore = 110000;
constexpr int StalemateScore = 110001;
constexpr int NoMoveYet = -110200;
