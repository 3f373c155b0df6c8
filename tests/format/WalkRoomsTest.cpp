#include "UnitRun.h"

namespace {

// One room with something in every list; its 21 mesh words match its lists.
Room SampleRoom() {
    Room r;
    r.Xoffset = 1024, r.Zoffset = 2048, r.Ybottom = -256, r.lngYtop = -1792;
    r.Vertices.Add({10, -20, 30, {9, 9, 9, 9, 9, 9}});
    r.Rectangles.Add({{0, 1, 2, 3}, 5});
    r.Triangles.Add({{4, 5, 6}, 32767});
    r.Sprites.Add({7, 0});
    r.Doors.Add({1, {0, 0, -1}, {{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}}}});
    r.Doors.Add({2, {1, 0, 0}, {{{-1, -2, -3}, {-4, -5, -6}, {-7, -8, -9}, {-10, -11, -12}}}});
    r.ZSectors = 3, r.XSectors = 4;
    for (int16_t i = 0; i < 12; ++i)
        r.Sectors.push_back({i, static_cast<int16_t>(100 + i), 255, 200, 255, 129});
    r.Intensity1 = -1, r.Intensity2 = 300, r.LightMode = 2;
    r.Lights.Add({100, -200, 300, 8000, -1, 4096, 1024});
    r.StaticMeshes.Add({5, 6, 7, 16384, 10, 20, 42});
    r.Flags = static_cast<int16_t>(0x8000);
    r.Colour = {10, 20, 30};
    return r;
}

Built RoomLevel(int16_t generation, std::vector<Room> rooms) {
    Level level;
    level.Generation = generation;
    level.Rooms.Items = std::move(rooms);
    return Built(level);
}

UnitRun Rooms(const Built& b, int16_t generation, const DetailOptionSet& options, bool faults = false) {
    return RunUnit(WalkRooms, b.Bytes, generation, b.Where.RoomCount, options, faults);
}

const std::string kRectangleHeader =
    "Offset Hex, Offset,Rectangle No,Vertex(0),Vertex(1),Vertex(2),Vertex(3),"
    "Texture,Colorindex_8,Colorindex_16";
const std::string kDoorHeader =
    "Offset Hex, Offset,Door No,AdjoiningRoom,Normal.x,Normal.y,Normal.z,Vertices(n).x,"
    "Vertices(n).y,Vertices(n).z";
const std::string kSectorHeader =
    "Offset Hex, Offset,Room Sector,FDIndex,BoxIndex,RoomBelow,Floor,RoomAbove,Ceiling";

TEST(WalkRooms, DM2RoomWithEveryOptionOnAndOff) {
    const Built b = RoomLevel(2, {SampleRoom()});
    const int32_t s = b.Where.Rooms[0];
    std::vector<std::string> on = Excerpt(
        kSep, At(b.Where.RoomCount) + "1,rooms,2 bytes", kSep, ", ,Room no 0", kSep, kSep,
        "Offset Hex, Offset,Xoffset,Zoffset,Ybottom,lngYtop", At(s) + "1024,2048,-256,-1792",
        At(s + 16) + "21, meshes,42 bytes", kSep, At(s + 20) + "1, vertices,12 bytes",
        "Offset Hex, Offset,Room vertex No,x,y,z", At(s + 22) + "0,10,-20,30", kSep,
        At(s + 34) + "1,rectangles,10 bytes", kRectangleHeader, At(s + 36) + "0,0,1,2,3,6", kSep,
        At(s + 46) + "1, triangles,8 bytes",
        "Offset Hex, Offset,Triangle No,Vertex(0),Vertex(1),Vertex(2),Texture", At(s + 48) + "0,4,5,6,32768",
        kSep, At(s + 56) + "1,sprites.4 bytes", "Offset Hex, Offset,Sprite No,Vertex,Texture",
        At(s + 58) + "0,7,0", kSep, At(s + 62) + "2,doors,64 bytes", kDoorHeader,
        At(s + 64) + "0,1,0,0,-1,1,2,3", ",,,,,,,4,5,6", ",,,,,,,7,8,9", ",,,,,,,10,11,12",
        At(s + 96) + "1,2,1,0,0,-1,-2,-3", ",,,,,,,-4,-5,-6", ",,,,,,,-7,-8,-9", ",,,,,,,-10,-11,-12", kSep,
        At(s + 128) + "3,Z sectors", At(s + 130) + "4,X sectors", At(s + 132) + "12,sectors,96 bytes",
        ",,12,sectors,96 bytes", kSectorHeader);
    for (int i = 0; i < 12; ++i)
        on.push_back(At(s + 132 + 8 * i) + std::to_string(i) + "," + std::to_string(i) + "," +
                     std::to_string(100 + i) + ",255,200,255,129");
    const std::vector<std::string> tail = Excerpt(
        kSep, At(s + 228) + ",iIntensity1,-1", At(s + 230) + ",iIntensity2,300", kSep,
        At(s + 232) + ",LightMode,2", kSep, At(s + 234) + "1,Lights,24 bytes",
        "Offset Hex, Offset,Room light,x,y,z,Intensity1,Intensity2,Fade1,Fade2",
        At(s + 236) + "0,100,-200,300,8000,-1,4096,1024", kSep, At(s + 260) + "1,Static Meshes,20 bytes",
        "Offset Hex, Offset,Room StaticMesh,x,y,z,Rotation,Intensity1,Intensity2,ObjectID",
        At(s + 262) + "0,5,6,7,16384,10,20,42", kSep, At(s + 282) + "-1,Alternate Rooms, 2 bytes", kSep,
        At(s + 284) + ",Room Flag :-32768", kSep);
    on.insert(on.end(), tail.begin(), tail.end());
    UnitRun run = Rooms(b, 2, AllOptions(true));
    EXPECT_EQ(run.Lines, on);
    EXPECT_EQ(run.End, b.Where.FloorData);

    // Off: the summaries stay, and the flags line goes with the detail.
    const std::vector<std::string> off = Excerpt(
        kSep, At(b.Where.RoomCount) + "1,rooms,2 bytes", kSep, ", ,Room no 0", kSep,
        At(s + 16) + "21, meshes,42 bytes", kSep, At(s + 62) + "2,doors,64 bytes", kSep,
        At(s + 128) + "3,Z sectors", At(s + 130) + "4,X sectors", At(s + 132) + "12,sectors,96 bytes",
        ",,12,sectors,96 bytes", kSep, At(s + 228) + ",iIntensity1,-1", At(s + 230) + ",iIntensity2,300",
        kSep, At(s + 232) + ",LightMode,2", kSep, At(s + 234) + "1,Lights,24 bytes", kSep,
        At(s + 260) + "1,Static Meshes,20 bytes", kSep, At(s + 282) + "-1,Alternate Rooms, 2 bytes", kSep);
    run = Rooms(b, 2, AllOptions(false));
    EXPECT_EQ(run.Lines, off);
    EXPECT_EQ(run.End, b.Where.FloorData);
}

TEST(WalkRooms, DM3RoomsHaveNoLightModeAndEndWithTheirColour) {
    const Built b = RoomLevel(3, {SampleRoom(), SampleRoom()});
    const int32_t s = b.Where.Rooms[0];
    const UnitRun run = Rooms(b, 3, AllOptions(false));
    ASSERT_EQ(run.Lines.size(), 3 + 2 * 22u);
    EXPECT_EQ(run.Lines[15], At(s + 230) + ",iIntensity2,300");
    EXPECT_EQ(run.Lines[17], At(s + 232) + "1,Lights,24 bytes");
    EXPECT_EQ(run.Lines[23], At(s + 284) + "Room Color :R: 10,G: 30,B: 20, 3 bytes");
    EXPECT_EQ(run.Lines[25], ", ,Room no 1");
    EXPECT_EQ(b.Where.Rooms[1], s + 287);
    EXPECT_EQ(run.End, b.Where.FloorData);
}

TEST(WalkRooms, MeshOptionDecidesHowTheRoomsEndIsReached) {
    Room room = SampleRoom();
    room.MeshDataSize = 0; // disagrees with the lists
    const Built b = RoomLevel(2, {room});
    const int32_t s = b.Where.Rooms[0];
    // Off: the doors are read where the mesh data size points (the vertex count); no sprite line.
    const UnitRun off = Rooms(b, 2, OptionsOn({optRoomSprites}));
    EXPECT_EQ(off.Lines[7], At(s + 20) + "1,doors,32 bytes");
    for (const std::string& line : off.Lines)
        EXPECT_EQ(line.find("sprites"), std::string::npos) << line;
    // On: the lists are walked and the doors stand behind the sprites.
    const UnitRun on = Rooms(b, 2, OptionsOn({optRoomMeshes}));
    EXPECT_EQ(on.Lines[5], At(s + 16) + "0, meshes,0 bytes");
    EXPECT_EQ(on.Lines[19], At(s + 56) + "1,sprites.4 bytes");
    EXPECT_EQ(on.Lines[21], At(s + 62) + "2,doors,64 bytes");
    EXPECT_EQ(on.End, b.Where.FloorData);
}

TEST(WalkRooms, NegativeAndEmptyCounts) {
    Room room;
    room.Vertices.Count = -1;
    room.Sprites.Count = -1;
    Built b = RoomLevel(2, {room});
    const int32_t s = b.Where.Rooms[0];
    // The vertex list stays past its count; the sprites step back 4 bytes although they are listed,
    // so the door count is read from the triangle count.
    const UnitRun run = Rooms(b, 2, OptionsOn({optRoomMeshes, optRoomSprites}));
    EXPECT_EQ(run.Lines[7], At(s + 20) + "-1, vertices,-12 bytes");
    EXPECT_EQ(run.Lines[9], At(s + 22) + "0,rectangles,0 bytes");
    EXPECT_EQ(run.Lines[13], At(s + 26) + "-1,sprites.-4 bytes");
    EXPECT_EQ(run.Lines[15], At(s + 24) + "0,doors,0 bytes");

    b = RoomLevel(2, {});
    EXPECT_EQ(Rooms(b, 2, AllOptions(true)).Lines,
              Excerpt(kSep, At(b.Where.RoomCount) + "0,rooms,2 bytes", kSep));
}

TEST(WalkRooms, OverflowsEndTheWalkAfterTheLinesSoFar) {
    Room room;
    room.ZSectors = room.XSectors = 200; // the byte figure is 32-bit, the listed counter 16-bit
    Built b = RoomLevel(2, {room});
    EXPECT_EQ(Rooms(b, 2, AllOptions(false)).Lines[11],
              At(b.Where.Rooms[0] + 34) + "40000,sectors,320000 bytes");
    std::vector<std::string> lines = Rooms(b, 2, OptionsOn({optRoomSectors}), true).Lines;
    EXPECT_EQ(Last(lines, 2), Excerpt(",,40000,sectors,320000 bytes", kSectorHeader));

    room = Room{};
    room.MeshDataSize = 0x40000000;
    b = RoomLevel(2, {room});
    lines = Rooms(b, 2, AllOptions(false), true).Lines;
    EXPECT_EQ(Last(lines, 2), Excerpt(", ,Room no 0", kSep));
}

} // namespace
