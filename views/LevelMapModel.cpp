#include "views/LevelMapModel.h"

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cmath>
#include <limits>
#include <utility>

#include "format/FieldValue.h"
#include "report/RunOutcomeText.h"

namespace {

using format::kDoor;
using format::kLight;
using format::kRoomHeader;
using format::kRoomStaticMesh;
using format::kSector;
using format::kSectorUnits;

constexpr int32_t kSkippedNamed = 8; // skipped rooms the status names one by one

std::string RoomText(uint8_t room) {
    return room == format::kNoRoom ? std::string("none") : std::to_string(room);
}

std::string HexByte(uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[b >> 4] + kDigits[b & 15];
}

// Distance from p to the segment a-b.
double SegmentDistance(double px, double pz, const std::array<double, 2>& a, const std::array<double, 2>& b) {
    const double dx = b[0] - a[0], dz = b[1] - a[1];
    const double length2 = dx * dx + dz * dz;
    double t = length2 > 0 ? ((px - a[0]) * dx + (pz - a[1]) * dz) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (a[0] + t * dx), pz - (a[1] + t * dz));
}

} // namespace

// Why a sector grid whose bytes are not all there is left out: the walk ended inside it (an overflow or
// the size limit), the grid alone is larger than the whole file, or the file ends inside it.
template <class Skip>
int32_t LevelMapModel::SkipGrid(const Span& s, int32_t rows, int32_t columns, Skip& skip) const {
    const std::string grid = "its sector grid of " + std::to_string(rows) + " x " + std::to_string(columns);
    const int64_t bytes = int64_t{columns} * rows * kSector.Size;
    if (s.Has(Span::Cut))
        return skip(SkipReason::GridTooLarge, grid + " is larger than the walk reached");
    if (bytes > level_->Size())
        return skip(SkipReason::GridTooLarge, grid + " is larger than the file could hold");
    const int64_t there = Usable(s.First + s.CountWidth, s.End) / kSector.Size;
    return skip(SkipReason::GridCut, grid + " is cut by the end of the file after " + std::to_string(there) +
                                         " of its " + std::to_string(int64_t{columns} * rows) + " sectors");
}

void LevelMapModel::Clear() {
    map_ = nullptr;
    level_ = nullptr;
    rooms_.clear();
    byNumber_.clear();
    order_.clear();
    skipped_.clear();
    skippedCount_ = 0;
    skippedBy_ = {};
    sectorsHeld_ = 0;
    walkedRooms_ = declaredRooms_ = 0;
    topY_ = bottomY_ = 0;
    highestFloor_ = lowestFloor_ = 0;
    minX_ = maxX_ = minZ_ = maxZ_ = 0;
}

int64_t LevelMapModel::Usable(int32_t first, int32_t end) const {
    const int64_t stop = std::min<int64_t>(end, level_->Size());
    return std::max<int64_t>(0, stop - first);
}

// Reads one room from its span's parts. Returns its index in rooms_, or -1 with the reason it is left out.
int32_t LevelMapModel::ReadRoom(int32_t span, SkippedRoom& skipped) {
    const auto skip = [&skipped](SkipReason why, std::string text) {
        skipped.Why = why;
        skipped.Reason = std::move(text);
        return -1;
    };
    const WalkMap& map = *map_;
    const Span& roomSpan = map[span];
    MapRoom room;
    room.Number = roomSpan.Index;
    room.Span = span;
    const format::Generation g = static_cast<format::Generation>(map.Generation());
    bool header = false, sectors = false;
    for (int32_t part : map.Children(span)) {
        const Span& s = map[part];
        switch (s.What) {
        case Piece::RoomHeader:
            if (Usable(s.First, s.End) < kRoomHeader.Size) {
                return s.First >= level_->Size()
                           ? skip(SkipReason::PastEnd, "its header lies past the end of the file")
                           : skip(SkipReason::WalkEnded, "the walk ended inside its header");
            }
            header = true;
            room.HeaderAt = s.First;
            room.X = FieldValue(*level_, format::kRoomX, s.First, g);
            room.Z = FieldValue(*level_, format::kRoomZ, s.First, g);
            {
                const auto bottom =
                    static_cast<int32_t>(FieldValue(*level_, format::kRoomYBottom, s.First, g));
                const auto top = static_cast<int32_t>(FieldValue(*level_, format::kRoomYTop, s.First, g));
                room.YTop = std::min(top, bottom);
                room.YBottom = std::max(top, bottom);
            }
            break;
        case Piece::Doors:
            room.DoorsAt = s.First + s.CountWidth;
            room.Doors = static_cast<int32_t>(
                std::clamp<int64_t>(s.Count, 0, Usable(room.DoorsAt, s.End) / kDoor.Size));
            for (int32_t run : map.Children(part))
                if (map[run].Kind == SpanKind::Run)
                    room.DoorRun = run;
            break;
        case Piece::Sectors: {
            const int32_t columns = level_->S16(s.First + 2), rows = level_->S16(s.First);
            const int32_t at = s.First + s.CountWidth;
            if (s.CountWidth < 4 || Usable(s.First, s.End) < 4) {
                return s.First >= level_->Size()
                           ? skip(SkipReason::PastEnd, "its sector grid lies past the end of the file")
                           : skip(SkipReason::WalkEnded, "the walk ended inside its sector grid");
            }
            if (columns <= 0 || rows <= 0) {
                return skip(SkipReason::EmptyGrid,
                            "its sector grid is " + std::to_string(rows) + " x " + std::to_string(columns));
            }
            const int64_t bytes = int64_t{columns} * rows * kSector.Size;
            if (bytes > Usable(at, s.End))
                return SkipGrid(s, rows, columns, skip);
            if (sectorsHeld_ + int64_t{columns} * rows > kSectorBudget) {
                return skip(SkipReason::OverBudget,
                            "the map already holds " + std::to_string(sectorsHeld_) + " sectors");
            }
            sectors = true;
            room.Rows = rows;
            room.Columns = columns;
            room.SectorsAt = at;
            for (int32_t run : map.Children(part))
                if (map[run].Kind == SpanKind::Run)
                    room.SectorRun = run;
            break;
        }
        case Piece::Lights:
            room.LightsAt = s.First + s.CountWidth;
            room.Lights = static_cast<int32_t>(
                std::clamp<int64_t>(s.Count, 0, Usable(room.LightsAt, s.End) / kLight.Size));
            break;
        case Piece::RoomStaticMeshes:
            room.MeshesAt = s.First + s.CountWidth;
            room.Meshes = static_cast<int32_t>(
                std::clamp<int64_t>(s.Count, 0, Usable(room.MeshesAt, s.End) / kRoomStaticMesh.Size));
            break;
        case Piece::AlternateRoom:
            if (Usable(s.First, s.End) >= 2)
                room.Alternate = level_->S16(s.First);
            break;
        default:
            break;
        }
    }
    if (!header)
        return skip(SkipReason::WalkEnded, "the walk ended before its header");
    if (!sectors)
        return skip(SkipReason::WalkEnded, "the walk ended before its sector grid");
    if (std::abs(room.X) > kWorldLimit || std::abs(room.Z) > kWorldLimit ||
        std::abs(room.Right()) > kWorldLimit || std::abs(room.Far()) > kWorldLimit) {
        return skip(SkipReason::OffWorld, "it stands off the world (x " + std::to_string(room.X) + ", z " +
                                              std::to_string(room.Z) + ")");
    }
    sectorsHeld_ += int64_t{room.Columns} * room.Rows;
    rooms_.push_back(room);
    return static_cast<int32_t>(rooms_.size()) - 1;
}

void LevelMapModel::Build(const WalkMap& map, const LevelFile* level) {
    Clear();
    map_ = &map;
    level_ = level;
    if (!level)
        return;
    const int32_t chunk = map.Find(Piece::Rooms);
    if (chunk < 0)
        return;
    declaredRooms_ = std::max(0, map[chunk].Count);
    for (int32_t span : map.Children(chunk)) {
        if (map[span].Kind != SpanKind::Room)
            continue;
        ++walkedRooms_;
        SkippedRoom skipped;
        skipped.Number = map[span].Index;
        if (ReadRoom(span, skipped) < 0) {
            ++skippedCount_;
            ++skippedBy_[static_cast<size_t>(skipped.Why)];
            if (static_cast<int32_t>(skipped_.size()) < kSkippedNamed)
                skipped_.push_back(std::move(skipped));
        }
    }

    // Room numbers are 16-bit, so the index by number is bounded whatever the file says.
    int32_t highest = -1;
    for (const MapRoom& r : rooms_)
        highest = std::max(highest, r.Number);
    byNumber_.assign(static_cast<size_t>(highest + 1), -1);
    for (size_t i = 0; i < rooms_.size(); ++i)
        if (rooms_[i].Number >= 0)
            byNumber_[static_cast<size_t>(rooms_[i].Number)] = static_cast<int32_t>(i);
    for (const MapRoom& r : rooms_) {
        const int32_t alternate = IndexOfRoom(r.Alternate);
        if (alternate >= 0 && rooms_[static_cast<size_t>(alternate)].Number != r.Number)
            rooms_[static_cast<size_t>(alternate)].IsAlternate = true;
    }

    // Lower rooms first, so the higher room of two that overlap in plan is drawn over the lower.
    order_.resize(rooms_.size());
    for (size_t i = 0; i < order_.size(); ++i)
        order_[i] = static_cast<int32_t>(i);
    std::stable_sort(order_.begin(), order_.end(), [this](int32_t a, int32_t b) {
        const MapRoom& ra = rooms_[static_cast<size_t>(a)];
        const MapRoom& rb = rooms_[static_cast<size_t>(b)];
        // Alternate rooms lie under the rooms they stand in for; their frames are drawn over all.
        if (ra.IsAlternate != rb.IsAlternate)
            return ra.IsAlternate;
        if (ra.YBottom != rb.YBottom)
            return ra.YBottom > rb.YBottom;
        return ra.YTop > rb.YTop;
    });

    if (rooms_.empty())
        return;
    topY_ = std::numeric_limits<int64_t>::max();
    bottomY_ = std::numeric_limits<int64_t>::min();
    minX_ = minZ_ = std::numeric_limits<double>::max();
    maxX_ = maxZ_ = std::numeric_limits<double>::lowest();
    std::bitset<256> floors;
    for (const MapRoom& r : rooms_) {
        topY_ = std::min<int64_t>(topY_, r.YTop);
        bottomY_ = std::max<int64_t>(bottomY_, r.YBottom);
        minX_ = std::min(minX_, static_cast<double>(r.X));
        maxX_ = std::max(maxX_, static_cast<double>(r.Right()));
        minZ_ = std::min(minZ_, static_cast<double>(r.Z));
        maxZ_ = std::max(maxZ_, static_cast<double>(r.Far()));
        // Sectors are 8 bytes each and bounded by the file, so this pass reads the file's bytes at most once.
        for (int32_t c = 0; c < r.Columns; ++c)
            for (int32_t row = 0; row < r.Rows; ++row) {
                const MapSector s = Heights(r, c, row);
                if (!s.Solid())
                    floors.set(s.Floor);
            }
    }
    highestFloor_ = lowestFloor_ = 0;
    bool any = false;
    for (int b = 0; b < 256; ++b) {
        if (!floors.test(static_cast<size_t>(b)))
            continue;
        const int32_t y = static_cast<int8_t>(b) * MapSector::kStepUnits;
        highestFloor_ = any ? std::min(highestFloor_, y) : y;
        lowestFloor_ = any ? std::max(lowestFloor_, y) : y;
        any = true;
    }
}

int32_t LevelMapModel::IndexOfRoom(int32_t number) const {
    if (number < 0 || number >= static_cast<int32_t>(byNumber_.size()))
        return -1;
    return byNumber_[static_cast<size_t>(number)];
}

int32_t LevelMapModel::SectorOffset(const MapRoom& room, int32_t column, int32_t row) const {
    // Sectors stand in the file column by column: x outer, z inner.
    return room.SectorsAt + (column * room.Rows + row) * kSector.Size;
}

MapSector LevelMapModel::Sector(const MapRoom& room, int32_t column, int32_t row) const {
    const int32_t at = SectorOffset(room, column, row);
    const format::Generation g = static_cast<format::Generation>(map_->Generation());
    MapSector s;
    s.FDIndex = static_cast<int16_t>(FieldValue(*level_, format::kSectorFDIndex, at, g));
    s.BoxIndex = static_cast<int16_t>(FieldValue(*level_, format::kSectorBoxIndex, at, g));
    s.RoomBelow = static_cast<uint8_t>(FieldValue(*level_, format::kSectorRoomBelow, at, g));
    s.Floor = static_cast<uint8_t>(FieldValue(*level_, format::kSectorFloor, at, g));
    s.RoomAbove = static_cast<uint8_t>(FieldValue(*level_, format::kSectorRoomAbove, at, g));
    s.Ceiling = static_cast<uint8_t>(FieldValue(*level_, format::kSectorCeiling, at, g));
    return s;
}

MapSector LevelMapModel::Heights(const MapRoom& room, int32_t column, int32_t row) const {
    const int32_t at = SectorOffset(room, column, row);
    const format::Generation g = static_cast<format::Generation>(map_->Generation());
    MapSector s;
    s.Floor = static_cast<uint8_t>(FieldValue(*level_, format::kSectorFloor, at, g));
    s.Ceiling = static_cast<uint8_t>(FieldValue(*level_, format::kSectorCeiling, at, g));
    return s;
}

MapDoor LevelMapModel::Door(int32_t roomIndex, int32_t i) const {
    const MapRoom& room = rooms_[static_cast<size_t>(roomIndex)];
    const int32_t at = room.DoorsAt + i * kDoor.Size;
    const format::Generation g = static_cast<format::Generation>(map_->Generation());
    MapDoor d;
    d.At = at;
    d.Room = roomIndex;
    d.Index = i;
    d.Adjoining = static_cast<int16_t>(FieldValue(*level_, format::kDoorAdjoiningRoom, at, g));
    static_assert(format::kDoorCornerX.Repeat == std::tuple_size_v<decltype(d.Corners)>);
    for (int v = 0; v < format::kDoorCornerX.Repeat; ++v) {
        d.Corners[static_cast<size_t>(v)] = {
            static_cast<double>(room.X + FieldValue(*level_, format::kDoorCornerX, at, g, v)),
            static_cast<double>(room.Z + FieldValue(*level_, format::kDoorCornerZ, at, g, v))};
    }
    return d;
}

MapMark LevelMapModel::Light(const MapRoom& room, int32_t i) const {
    const int32_t at = room.LightsAt + i * kLight.Size;
    const format::Generation g = static_cast<format::Generation>(map_->Generation());
    return {at, static_cast<double>(FieldValue(*level_, format::kLightX, at, g)),
            static_cast<double>(FieldValue(*level_, format::kLightZ, at, g)),
            static_cast<int32_t>(FieldValue(*level_, format::kLightY, at, g))};
}

MapMark LevelMapModel::Mesh(const MapRoom& room, int32_t i) const {
    const int32_t at = room.MeshesAt + i * kRoomStaticMesh.Size;
    const format::Generation g = static_cast<format::Generation>(map_->Generation());
    return {at, static_cast<double>(FieldValue(*level_, format::kRoomStaticMeshX, at, g)),
            static_cast<double>(FieldValue(*level_, format::kRoomStaticMeshZ, at, g)),
            static_cast<int32_t>(FieldValue(*level_, format::kRoomStaticMeshY, at, g))};
}

bool LevelMapModel::Shown(const MapRoom& room, const HeightBand& band) {
    if (room.YTop == room.YBottom)
        return room.YTop >= band.Top && room.YTop <= band.Bottom;
    return room.YTop < band.Bottom && room.YBottom > band.Top;
}

MapHit LevelMapModel::Pick(double x, double z, const HeightBand& band, double doorTolerance,
                           int32_t raised) const {
    MapHit hit;
    if (doorTolerance >= 0) {
        double best = doorTolerance;
        for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
            const MapRoom& r = rooms_[static_cast<size_t>(*it)];
            if (!Shown(r, band) || x < r.X - doorTolerance || x > r.Right() + doorTolerance ||
                z < r.Z - doorTolerance || z > r.Far() + doorTolerance)
                continue;
            const int32_t doors = std::min(r.Doors, kMarksPerRoom);
            for (int32_t i = 0; i < doors; ++i) {
                const MapDoor d = Door(*it, i);
                for (size_t v = 0; v < 4; ++v) {
                    const double distance = SegmentDistance(x, z, d.Corners[v], d.Corners[(v + 1) % 4]);
                    if (distance <= best) {
                        best = distance;
                        hit.Door = d;
                    }
                }
            }
        }
    }
    const auto take = [&](int32_t index) {
        const MapRoom& r = rooms_[static_cast<size_t>(index)];
        hit.Room = index;
        hit.Column =
            std::clamp(static_cast<int32_t>((x - static_cast<double>(r.X)) / kSectorUnits), 0, r.Columns - 1);
        hit.Row =
            std::clamp(static_cast<int32_t>((z - static_cast<double>(r.Z)) / kSectorUnits), 0, r.Rows - 1);
    };
    if (raised >= 0 && raised < static_cast<int32_t>(rooms_.size())) {
        const MapRoom& r = rooms_[static_cast<size_t>(raised)];
        if (r.Holds(x, z) && Shown(r, band))
            take(raised);
    }
    // The top room under the point; an alternate room only where no other room is.
    for (const bool alternates : {false, true}) {
        for (auto it = order_.rbegin(); it != order_.rend() && hit.Room < 0; ++it) {
            const MapRoom& r = rooms_[static_cast<size_t>(*it)];
            if (r.IsAlternate == alternates && r.Holds(x, z) && Shown(r, band))
                take(*it);
        }
    }
    if (hit.Door.At >= 0 && hit.Room < 0)
        hit.Room = hit.Door.Room;
    return hit;
}

int32_t LevelMapModel::RoomOfSpan(int32_t span) const {
    if (!map_)
        return -1;
    while (span >= 0 && span < map_->Size() && (*map_)[span].Kind != SpanKind::Room)
        span = (*map_)[span].Parent;
    if (span < 0 || span >= map_->Size())
        return -1;
    return IndexOfRoom((*map_)[span].Index);
}

std::string LevelMapModel::Describe(const MapHit& hit) const {
    if (!hit.Valid())
        return {};
    std::string text;
    if (hit.Door.At >= 0) {
        const MapRoom& from = rooms_[static_cast<size_t>(hit.Door.Room)];
        text += "Door " + std::to_string(hit.Door.Index) + " of room " + std::to_string(from.Number) +
                " to room " + std::to_string(hit.Door.Adjoining) +
                (RoomOfDoor(hit.Door) < 0 ? " (not on the map)" : "") + "\n";
    }
    const MapRoom& r = rooms_[static_cast<size_t>(hit.Room)];
    text += "Room " + std::to_string(r.Number) + " (y " + std::to_string(r.YTop) + " to " +
            std::to_string(r.YBottom) + ")";
    if (r.IsAlternate)
        text += ", an alternate room";
    if (hit.Column < 0)
        return text;
    const MapSector s = Sector(r, hit.Column, hit.Row);
    text += "\nSector column " + std::to_string(hit.Column) + ", row " + std::to_string(hit.Row) +
            " (sector " + std::to_string(hit.Column * r.Rows + hit.Row) + ")";
    if (s.Solid())
        text += ": wall";
    text += "\nFloor " + std::to_string(s.FloorY()) + " (" + HexByte(s.Floor) + "), ceiling " +
            std::to_string(s.CeilingY()) + " (" + HexByte(s.Ceiling) + ")";
    text += "\nRoom below " + RoomText(s.RoomBelow) + ", room above " + RoomText(s.RoomAbove);
    return text;
}

MapTarget LevelMapModel::TargetOfRoom(int32_t roomIndex) const {
    if (roomIndex < 0 || roomIndex >= static_cast<int32_t>(rooms_.size()))
        return {};
    return {(*map_)[rooms_[static_cast<size_t>(roomIndex)].Span].Line, -1};
}

MapTarget LevelMapModel::TargetOf(const MapHit& hit) const {
    if (!hit.Valid())
        return {};
    // A record listed in the report selects its line; one the report only counts selects its bytes.
    const auto record = [this](int32_t run, int32_t i, int64_t at) -> MapTarget {
        if (run >= 0) {
            const int32_t line = map_->LineOfRecord(run, i);
            if (i < (*map_)[run].Count && line < (*map_)[run].EndLine)
                return {line, -1};
        }
        return {-1, at};
    };
    if (hit.Door.At >= 0)
        return record(rooms_[static_cast<size_t>(hit.Door.Room)].DoorRun, hit.Door.Index, hit.Door.At);
    const MapRoom& r = rooms_[static_cast<size_t>(hit.Room)];
    if (hit.Column >= 0)
        return record(r.SectorRun, hit.Column * r.Rows + hit.Row, SectorOffset(r, hit.Column, hit.Row));
    return TargetOfRoom(hit.Room);
}

std::string LevelMapModel::Status() const {
    if (!map_ || !level_)
        return "No level open.";
    std::string text =
        std::to_string(rooms_.size()) + (rooms_.size() == 1 ? " room" : " rooms") + " on the map";
    if (skippedCount_ > 0) {
        text += "; " + std::to_string(skippedCount_) + " left out";
        if (skippedCount_ > static_cast<int32_t>(skipped_.size())) {
            static constexpr std::array<const char*, kSkipReasons> kWhy{
                "past the end of the file",
                "where the walk ended",
                "with a sector grid larger than the file",
                "with a sector grid cut by the end of the file",
                "with an empty sector grid",
                "off the world",
                "over the map's sector budget"};
            std::string tally;
            for (size_t i = 0; i < kWhy.size(); ++i)
                if (skippedBy_[i] > 0)
                    tally += (tally.empty() ? "" : ", ") + std::to_string(skippedBy_[i]) + " " + kWhy[i];
            text += " (" + tally + ")";
        }
        text += ": ";
        for (size_t i = 0; i < skipped_.size(); ++i)
            text += (i ? "; room " : "room ") + std::to_string(skipped_[i].Number) + " (" +
                    skipped_[i].Reason + ")";
        if (skippedCount_ > static_cast<int32_t>(skipped_.size()))
            text += "; ...";
    }
    text += ".";
    const WalkEnding ending = map_->Ending();
    if (ending == WalkEnding::Overflow || ending == WalkEnding::SizeLimit) {
        // The status line's words about the walk's end, with the level as their subject.
        std::string said = DescribeWalkEnd(map_->End(), "the level");
        said[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(said[0])));
        text += " " + said;
        if (walkedRooms_ + 1 == declaredRooms_)
            text += ": room " + std::to_string(walkedRooms_) + " was never reached";
        else if (walkedRooms_ < declaredRooms_)
            text += ": rooms " + std::to_string(walkedRooms_) + " to " + std::to_string(declaredRooms_ - 1) +
                    " were never reached";
        text += ".";
    }
    return text;
}
