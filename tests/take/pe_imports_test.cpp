// The take runner finds the plug-in's import entries by walking its loaded image. A small image
// built here holds what real ones do: two DLLs, names in either case, imports by ordinal, a
// name table beside a bound address table, and a DLL whose only table is the address table.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "take/pe_imports.h"

namespace {

class Image {
 public:
  Image() : bytes_(0x400, 0) {}
  void Put32(std::uint32_t at, std::uint32_t value) { std::memcpy(&bytes_[at], &value, 4); }
  void PutText(std::uint32_t at, const char* text) { std::strcpy(&bytes_[at], text); }
  const unsigned char* Base() const { return reinterpret_cast<const unsigned char*>(&bytes_[0]); }
  void** Entry(std::uint32_t at) const { return reinterpret_cast<void**>(&bytes_[at]); }

 private:
  mutable std::vector<char> bytes_;
};

// Import directory at 0x100: KERNEL32 with a name table at 0x200 and bound addresses at 0x220
// (which would read as "Decoy"), then user32 with its address table at 0x240 alone.
Image TwoDlls() {
  Image image;
  image.Put32(0x3C, 0x40);
  image.Put32(0x40 + 128, 0x100);
  const std::uint32_t kernel32[5] = {0x200, 0, 0, 0x180, 0x220};
  const std::uint32_t user32[5] = {0, 0, 0, 0x190, 0x240};
  for (std::uint32_t i = 0; i < 5; ++i) {
    image.Put32(0x100 + 4 * i, kernel32[i]);
    image.Put32(0x114 + 4 * i, user32[i]);
  }
  image.PutText(0x180, "KERNEL32.dll");
  image.PutText(0x190, "user32.DLL");
  const std::uint32_t names[] = {0x80000005u, 0x300, 0x310, 0};
  for (std::uint32_t i = 0; i < 4; ++i) {
    image.Put32(0x200 + 4 * i, names[i]);
    image.Put32(0x220 + 4 * i, names[i] == 0 ? 0 : 0x330);
  }
  image.Put32(0x240, 0x80000010u);
  image.Put32(0x244, 0x340);
  image.PutText(0x302, "Sleep");
  image.PutText(0x312, "GetAsyncKeyState");
  image.PutText(0x332, "Decoy");
  image.PutText(0x342, "GetAsyncKeyState");
  return image;
}

TEST(PeImports, AFunctionIsFoundInItsOwnDllsAddressTable) {
  const Image image = TwoDlls();
  const unsigned char* base = image.Base();
  EXPECT_EQ(take::FindImport(base, "kernel32.dll", "Sleep"), image.Entry(0x224))
      << "named in the name table, past an import by ordinal; the entry in the address table";
  EXPECT_EQ(take::FindImport(base, "USER32.dll", "GetAsyncKeyState"), image.Entry(0x244))
      << "user32's, not kernel32's function of the same name; read from the address table";
  EXPECT_EQ(take::FindImport(base, "KERNEL32.DLL", "GetAsyncKeyState"), image.Entry(0x228));
}

TEST(PeImports, WhatTheImageDoesNotImportByNameIsNotFound) {
  Image image = TwoDlls();
  const unsigned char* base = image.Base();
  EXPECT_EQ(take::FindImport(base, "USER32.dll", "Sleep"), nullptr) << "another DLL's";
  EXPECT_EQ(take::FindImport(base, "GDI32.dll", "Sleep"), nullptr);
  EXPECT_EQ(take::FindImport(base, "USER32", "GetAsyncKeyState"), nullptr) << "a whole name";
  EXPECT_EQ(take::FindImport(base, "kernel32.dll", "Decoy"), nullptr)
      << "bound addresses are not names";
  image.Put32(0x40 + 128, 0);
  EXPECT_EQ(take::FindImport(base, "kernel32.dll", "Sleep"), nullptr) << "no import directory";
}

}  // namespace
