#pragma once
// Colour records of the two level palettes.
#include <cstdint>

#include "support/CSmartArray.h"

// One colour of the 8-bit palette, components already scaled to 0..255.
class C_udtCol8 : public SmartObject {
  public:
    void LetR(uint8_t v) { r_ = v; }
    void LetG(uint8_t v) { g_ = v; }
    void LetB(uint8_t v) { b_ = v; }
    uint8_t GetR() const { return r_; }
    uint8_t GetG() const { return g_; }
    uint8_t GetB() const { return b_; }

  private:
    uint8_t r_ = 0, g_ = 0, b_ = 0;
};

// One colour of the 16-bit palette: the four bytes of the file entry, unchanged.
class C_udtCol16 : public SmartObject {
  public:
    void LetA(uint8_t v) { a_ = v; }
    void LetR(uint8_t v) { r_ = v; }
    void LetG(uint8_t v) { g_ = v; }
    void LetB(uint8_t v) { b_ = v; }
    uint8_t GetA() const { return a_; }
    uint8_t GetR() const { return r_; }
    uint8_t GetG() const { return g_; }
    uint8_t GetB() const { return b_; }

  private:
    uint8_t r_ = 0, g_ = 0, b_ = 0, a_ = 0;
};
