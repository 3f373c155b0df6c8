// The rules of the cameras, the navigation boxes, the items and the sounds.
#include <string>

#include "check/RuleShapes.h"

namespace check {

namespace {

using namespace format;

constexpr IndexRule kCameraIndexes[]{
    {.Rule = "camera-room", .Of = FieldOf(kCamera, "Room"), .Within = Bound::Rooms},
};

// DM2 boxes keep flags in the top two bits of OverlapIndex; DM3 packs them otherwise, so it is left alone.
constexpr IndexRule kBoxIndexes[]{
    {.Rule = "box-overlap",
     .Of = FieldOf(kBox, "OverlapIndex"),
     .Within = Bound::Overlaps,
     .Mask = 0x3FFF,
     .In = Generations::DM2Only},
};

constexpr OrderRule kBoxOrders[]{
    {.Rule = "box-bounds", .Low = FieldOf(kBox, "Zmin"), .High = FieldOf(kBox, "Zmax")},
    {.Rule = "box-bounds", .Low = FieldOf(kBox, "Xmin"), .High = FieldOf(kBox, "Xmax")},
};

constexpr IndexRule kItemIndexes[]{
    {.Rule = "item-room", .Of = FieldOf(kItem, "Room"), .Within = Bound::Rooms},
};

// An item is an instance of a moveable or a sprite sequence; an ID of neither may still be an object the
// game makes itself, so it is only suspicious.
void ItemObject(const RecordContext& at) {
    const Field& id = *FieldOf(kItem, "ObjectID");
    if (!at.Facts.ObjectIds)
        return;
    const int64_t value = at.Stored(id);
    if (at.Facts.ObjectIds->test(static_cast<uint16_t>(value)))
        return;
    at.Found("item-object", id, [&] {
        return "ObjectID is " + std::to_string(value) +
               ", but no moveable or sprite sequence has that ObjectID";
    });
}

constexpr IndexRule kSoundMapIndexes[]{
    {.Rule = "sound-map", .Of = FieldOf(kSoundMapEntry, "Index"), .Within = Bound::SoundDetails, .None = -1},
};

constexpr IndexRule kSoundDetailIndexes[]{
    {.Rule = "sound-sample", .Of = FieldOf(kSoundDetail, "Sample"), .Within = Bound::SampleIndices},
};

constexpr RecordRules kNavigationRules[]{
    {.Of = &kCamera, .Indexes = kCameraIndexes},
    {.Of = &kBox, .Indexes = kBoxIndexes, .Orders = kBoxOrders},
    {.Of = &kItem, .Indexes = kItemIndexes, .Extra = ItemObject},
    {.Of = &kSoundMapEntry, .Indexes = kSoundMapIndexes},
    {.Of = &kSoundDetail, .Indexes = kSoundDetailIndexes},
};

} // namespace

std::span<const RecordRules> NavigationRecordRules() {
    return kNavigationRules;
}

} // namespace check
