// The format's one home for a field's value text, a repeated column's names and the room colour's byte
// order. Every expectation is worked out by hand from the format.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "format/FieldText.h"
#include "format/FieldValue.h"
#include "format/LevelFile.h"
#include "format/LevelFormat.h"
#include "format/NumberText.h"

namespace {

using format::FieldNamed;

const format::Field& kPointer = FieldNamed(format::kMeshPointerFields, "Pointer");
const format::Field& kFunctionHex = FieldNamed(format::kFloorWordFields, "Function (Hex)");
const format::Field& kFunctionDec = FieldNamed(format::kFloorWordFields, "Function (Dec)");
const format::Field& kAnimCommandHex = FieldNamed(format::kAnimationFields, "AnimCommand (Hex)");
const format::Field& kTexture = FieldNamed(format::kRectangleFields, "Texture");
const format::Field& kXPixel = FieldNamed(format::kObjectTextureFields, "XPixel");
const format::Field& kCornerZ = FieldNamed(format::kStaticMeshFields, "BoundingBox Corners z");
const format::Field& kRectangleVertex2 = FieldNamed(format::kRectangleFields, "Vertex(2)");

TEST(FieldText, DecimalOrZeroXAndUpperHexOfTheLow32Bits) {
    struct Case {
        const format::Field& Field;
        int64_t Shown;
        std::string Text;
    } cases[] = {
        {format::kSectorFloor, 0, "0"},
        {format::kSectorFloor, 250, "250"},
        {format::kRoomYTop, -1536, "-1536"},
        {kTexture, 6, "6"}, // shown plus one already: the text adds nothing
        {kFunctionDec, 20, "20"},
        {format::kSectorFloor, std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
        {kPointer, 0, "0x0"},
        {kPointer, 2604, "0xA2C"},
        {kPointer, -4, "0xFFFFFFFC"},
        {kPointer, 0x123456789, "0x23456789"}, // bits above the low 32 are not shown
        {kPointer, std::numeric_limits<int64_t>::min(), "0x0"},
        {kFunctionHex, 0x1F, "0x1F"},
        {kAnimCommandHex, 300, "0x12C"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(format::FieldText(c.Field, c.Shown), c.Text) << c.Field.Name << " " << c.Shown;
        // The buffer form writes the same characters and no more than it promises.
        char buffer[format::kLongestFieldText + 1];
        buffer[format::kLongestFieldText] = '#';
        const char* end = format::AppendFieldText(buffer, c.Field, c.Shown);
        EXPECT_EQ(std::string(static_cast<const char*>(buffer), end), c.Text);
        EXPECT_EQ(buffer[format::kLongestFieldText], '#');
    }
}

TEST(FieldText, HexTextOfOffsetsAsTheOffsetColumnWritesThem) {
    struct Case {
        int64_t Value;
        std::string Text;
    } cases[] = {
        {0, "0x0"}, {4, "0x4"}, {0x60A6A, "0x60A6A"}, {-4, "0xFFFFFFFC"}, {0xFFFFFFFF, "0xFFFFFFFF"}};
    for (const Case& c : cases)
        EXPECT_EQ(HexText(c.Value), c.Text) << c.Value;
}

TEST(FieldName, ARepeatNamesItsNumberInPlaceOfNOrBehindTheName) {
    struct Case {
        const format::Field& Field;
        int Rep;
        std::string Name;
    } cases[] = {
        {format::kDoorCornerX, 0, "Vertices(0).x"},
        {format::kDoorCornerX, 2, "Vertices(2).x"},
        {format::kDoorCornerZ, 3, "Vertices(3).z"},
        {kXPixel, 3, "XPixel(3)"},
        {kCornerZ, 1, "BoundingBox Corners z(1)"},
        // Columns that are not repeated keep their names, a number in them included.
        {format::kDoorAdjoiningRoom, 0, "AdjoiningRoom"},
        {format::kSectorFloor, 0, "Floor"},
        {kRectangleVertex2, 0, "Vertex(2)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(format::FieldName(c.Field, c.Rep), c.Name) << c.Field.Name << " " << c.Rep;
}

TEST(RoomColour, TheFileHoldsRedBlueGreen) {
    struct Case {
        std::vector<uint8_t> Bytes;
        int64_t At;
        format::Rgb Colour;
    } cases[] = {
        {{10, 20, 30}, 0, {.R = 10, .G = 30, .B = 20}},
        {{0, 0, 1, 2, 3}, 2, {.R = 1, .G = 3, .B = 2}},
        {{255, 0, 128}, 0, {.R = 255, .G = 128, .B = 0}},
        {{7, 8}, 0, {.R = 7, .G = 0, .B = 8}}, // the file ends inside the colour: the missing byte reads 0
    };
    for (const Case& c : cases) {
        const LevelFile level = LevelFile::FromBytes(c.Bytes);
        EXPECT_EQ(RoomColourAt(level, c.At), c.Colour) << int{c.Bytes.front()};
        EXPECT_EQ(format::RoomColourOf(level.U8(c.At), level.U8(c.At + 1), level.U8(c.At + 2)), c.Colour);
    }
}

} // namespace
