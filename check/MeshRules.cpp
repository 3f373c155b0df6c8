// The rules of the meshes and the animation data: mesh pointers into the mesh data, static meshes and
// moveables into the mesh pointers and the mesh tree, animations into the frames, state changes and
// anim commands, and the dispatches back into the animations.
#include <string>

#include "check/RuleShapes.h"

namespace check {

namespace {

using namespace format;

constexpr IndexRule kMeshPointerIndexes[]{
    {.Rule = "mesh-pointer", .Of = FieldOf(kMeshPointer, "Pointer"), .Within = Bound::MeshDataBytes},
};

constexpr IndexRule kStaticMeshIndexes[]{
    {.Rule = "static-mesh-mesh", .Of = FieldOf(kStaticMesh, "Mesh"), .Within = Bound::MeshPointers},
};

constexpr IndexRule kMoveableIndexes[]{
    {.Rule = "moveable-animation",
     .Of = FieldOf(kMoveable, "Animation"),
     .Within = Bound::Animations,
     .None = -1},
};

// A moveable's meshes are NumMeshes pointers from StartingMesh; its tree links them with one node of four
// words for each mesh after the first.
constexpr ReachRule kMoveableReaches[]{
    {.Rule = "moveable-meshes",
     .Start = FieldOf(kMoveable, "StartingMesh"),
     .Count = FieldOf(kMoveable, "NumMeshes"),
     .Within = Bound::MeshPointers},
    {.Rule = "moveable-mesh-tree",
     .Start = FieldOf(kMoveable, "MeshTree"),
     .Count = FieldOf(kMoveable, "NumMeshes"),
     .Within = Bound::MeshTreeWords,
     .Per = 4,
     .Less = 1},
};

// A moveable without animations has no frames to point into.
void MoveableFrames(const RecordContext& at) {
    const Field& frame = *FieldOf(kMoveable, "FrameOffset");
    const std::optional<int64_t> bytes = at.Facts.Length(Bound::FrameBytes);
    if (!bytes || at.Stored(*FieldOf(kMoveable, "Animation")) == -1)
        return;
    const int64_t offset = at.Stored(frame);
    if (offset >= 0 && offset < *bytes)
        return;
    at.Found("moveable-frame", frame, [&] {
        return ValueText(frame, offset, at.Facts.Generation) + ", but " +
               BoundText(Bound::FrameBytes, *bytes);
    });
}

constexpr IndexRule kAnimationIndexes[]{
    {.Rule = "animation-next", .Of = FieldOf(kAnimation, "NextAnimation"), .Within = Bound::Animations},
    {.Rule = "animation-frame", .Of = FieldOf(kAnimation, "FrameOffset"), .Within = Bound::FrameBytes},
};

constexpr ReachRule kAnimationReaches[]{
    {.Rule = "animation-state-changes",
     .Start = FieldOf(kAnimation, "StateChangeOffset"),
     .Count = FieldOf(kAnimation, "NumStateChanges"),
     .Within = Bound::StateChanges},
    {.Rule = "animation-commands",
     .Start = FieldOf(kAnimation, "AnimCommand (Dec)"),
     .Count = FieldOf(kAnimation, "NumAnimCommands"),
     .Within = Bound::AnimCommands},
};

constexpr OrderRule kAnimationOrders[]{
    {.Rule = "animation-frame-range",
     .Low = FieldOf(kAnimation, "FrameStart"),
     .High = FieldOf(kAnimation, "FrameEnd")},
};

constexpr ReachRule kStateChangeReaches[]{
    {.Rule = "state-change-dispatches",
     .Start = FieldOf(kStateChange, "AnimDispatch"),
     .Count = FieldOf(kStateChange, "NumAnimDispatches"),
     .Within = Bound::AnimDispatches},
};

constexpr IndexRule kAnimDispatchIndexes[]{
    {.Rule = "dispatch-next", .Of = FieldOf(kAnimDispatch, "NextAnimation"), .Within = Bound::Animations},
};

constexpr OrderRule kAnimDispatchOrders[]{
    {.Rule = "dispatch-range", .Low = FieldOf(kAnimDispatch, "Low"), .High = FieldOf(kAnimDispatch, "High")},
};

constexpr RecordRules kMeshRules[]{
    {.Of = &kMeshPointer, .Indexes = kMeshPointerIndexes},
    {.Of = &kAnimation,
     .Indexes = kAnimationIndexes,
     .Reaches = kAnimationReaches,
     .Orders = kAnimationOrders},
    {.Of = &kStateChange, .Reaches = kStateChangeReaches},
    {.Of = &kAnimDispatch, .Indexes = kAnimDispatchIndexes, .Orders = kAnimDispatchOrders},
    {.Of = &kMoveable, .Indexes = kMoveableIndexes, .Reaches = kMoveableReaches, .Extra = MoveableFrames},
    {.Of = &kStaticMesh, .Indexes = kStaticMeshIndexes},
};

} // namespace

std::span<const RecordRules> MeshRecordRules() {
    return kMeshRules;
}

} // namespace check
