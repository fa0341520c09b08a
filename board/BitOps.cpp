#include "board/BitOps.h"

int RightMostBit(u64 mask) {
  return magictable[(LowestBit(mask) * Somemagic) >> 58] + 1;
}

int BitCount32(u32 x) {
  x = x - ((x >> 1) & 0x55555555u);
  x = ((x >> 2) & 0x33333333u) + (x & 0x33333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0Fu;
  return (int)((x * 0x01010101u) >> 24);
}

int BitCount64(u64 x) {
  return BitCount32((u32)x) + BitCount32((u32)(x >> 32));
}

int MyLog2(u64 x) {
  x |= x >> 1;
  x |= x >> 2;
  x |= x >> 4;
  x |= x >> 8;
  x |= x >> 16;
  x |= x >> 32;
  return BitCount64(x) - 1;
}
