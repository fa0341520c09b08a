// Fixed-width names for the widths the engine's data uses, and the few
// constants every subsystem shares (piece values, scores, the "no
// promotion" byte).
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

// Material values; a knight and a bishop are worth the same. The king's
// value counts only where an exchange or a capture would take it.
constexpr int PawnValue = 800;
constexpr int MinorValue = 3250;
constexpr int RookValue = 5000;
constexpr int QueenValue = 9750;
constexpr int KingValue = 1000000;

constexpr int MateScore = 110000;
constexpr int StalemateScore = 110001;
constexpr int NoMoveYet = -110200;
// A score beyond MateBound (either sign) is a mate: the mate score less the
// plies to it. One beyond MateReported is a mate near enough that the
// search stops deepening for it.
constexpr int MateBound = 109800;
constexpr int MateReported = 109899;
