// Key names as takes and scenarios write them, with their Windows virtual-key codes. Any other
// code is written vk:N.
#pragma once

struct KeyNameRow {
  const char* name;
  int code;
};

inline constexpr KeyNameRow kKeyNames[] = {
    {"backslash", 220}, {"num0", 96},  {"num1", 97},    {"num2", 98},  {"num3", 99},  {"num4", 100},
    {"num5", 101},      {"num6", 102}, {"num7", 103},   {"num8", 104}, {"num9", 105}, {"num.", 110},
    {"num+", 107},      {"num-", 109}, {"num*", 106},   {"num/", 111}, {"pgup", 33},  {"pgdn", 34},
    {"minus", 189},     {"plus", 187}, {"scroll", 145}, {"pause", 19}, {"f1", 112},   {"f2", 113},
    {"f3", 114},        {"f4", 115},   {"f5", 116},     {"f6", 117},   {"f7", 118},   {"f8", 119},
    {"f9", 120},        {"f10", 121},  {"f11", 122},    {"f12", 123},
};
