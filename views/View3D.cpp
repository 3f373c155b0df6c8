#include "views/View3D.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>
#include <QWheelEvent>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <span>
#include <xxhash.h>

#include "format/LevelFormat.h"
#include "views/SpanSelection.h"

namespace {

// Corner of a face as the vertex buffer holds it, 20 bytes: position, then texture coordinates as
// fractions of 65535 and the tile layer (kNoLayer: no tile to draw, the face is shown in the warning
// colour). The last word is always 0, so that equal corners are equal bytes.
struct FaceVertex {
    float X, Y, Z;
    uint16_t U, V, Layer, Unused;
};
static_assert(sizeof(FaceVertex) == 20);
constexpr uint16_t kNoLayer = 0xFFFF;

uint16_t Fraction(float f) {
    return static_cast<uint16_t>(std::lround(std::clamp(f, 0.0f, 1.0f) * 65535.0f));
}
// Corner of a line: position and colour.
constexpr int kLineFloats = 7;
// Half the length of a selected marker's arms, in file units, and a marker's side in pixels.
constexpr float kMarkerArm = 320;
constexpr float kMarkerPixels = 5;
constexpr float kClickSlop = 3;

const char* const kFaceVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 uvAndLayer;
uniform mat4 mvp;
out vec3 texel;
void main() {
    gl_Position = mvp * vec4(position, 1.0);
    texel = vec3(uvAndLayer.xy / 65535.0, uvAndLayer.z == 65535.0 ? -1.0 : uvAndLayer.z);
}
)";

// Faces without a tile to draw (layer -1) take the warning colour. Index 0 of an 8-bit tile (alpha 0)
// is see-through.
const char* const kFaceFragment = R"(#version 330 core
uniform sampler2DArray tiles;
uniform vec4 warning;
uniform int showInvalid;
in vec3 texel;
out vec4 colour;
void main() {
    if (texel.z < 0.0) {
        if (showInvalid == 0)
            discard;
        colour = warning;
        return;
    }
    vec4 c = texture(tiles, texel);
    if (c.a < 0.5)
        discard;
    colour = vec4(c.rgb, 1.0);
}
)";

const char* const kLineVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 tint;
uniform mat4 mvp;
out vec4 lineColour;
void main() {
    gl_Position = mvp * vec4(position, 1.0);
    lineColour = tint;
}
)";

const char* const kLineFragment = R"(#version 330 core
in vec4 lineColour;
out vec4 colour;
void main() {
    colour = lineColour;
}
)";

struct Tint {
    float R, G, B, A;
};
constexpr Tint kDoorTint{0.35f, 0.8f, 1.0f, 0.55f};
constexpr Tint kHighlightTint{1.0f, 0.85f, 0.1f, 1.0f};

Tint MarkerTint(scene::MarkerKind kind) {
    switch (kind) {
    case scene::MarkerKind::Light:
        return {1.0f, 0.95f, 0.3f, 0.9f};
    case scene::MarkerKind::StaticMesh:
        return {0.4f, 1.0f, 0.4f, 0.9f};
    case scene::MarkerKind::Item:
        return {0.3f, 0.95f, 0.95f, 0.9f};
    case scene::MarkerKind::Camera:
        return {1.0f, 0.4f, 0.4f, 0.9f};
    }
    return kHighlightTint;
}

int32_t RecordSize(scene::MarkerKind kind) {
    switch (kind) {
    case scene::MarkerKind::Light:
        return format::kLight.Size;
    case scene::MarkerKind::StaticMesh:
        return format::kRoomStaticMesh.Size;
    case scene::MarkerKind::Item:
        return format::kItem.Size;
    case scene::MarkerKind::Camera:
        return format::kCamera.Size;
    }
    return 1;
}

int32_t RecordSize(scene::FaceKind kind) {
    return kind == scene::FaceKind::Rectangle ? format::kRectangle.Size : format::kTriangle.Size;
}

bool Holds(int32_t recordAt, int32_t size, int64_t offset) {
    return recordAt >= 0 && offset >= recordAt && offset < int64_t{recordAt} + size;
}

void Point(std::vector<float>& out, const float* p, Tint t) {
    out.insert(out.end(), {p[0], p[1], p[2], t.R, t.G, t.B, t.A});
}

void Segment(std::vector<float>& out, const float* a, const float* b, Tint t) {
    Point(out, a, t);
    Point(out, b, t);
}

void Cross(std::vector<float>& out, const std::array<float, 3>& at, float arm, Tint t) {
    for (int axis = 0; axis < 3; ++axis) {
        std::array<float, 3> a = at, b = at;
        a[static_cast<size_t>(axis)] -= arm;
        b[static_cast<size_t>(axis)] += arm;
        Segment(out, a.data(), b.data(), t);
    }
}

void Box(std::vector<float>& out, const std::array<float, 3>& lo, const std::array<float, 3>& hi, Tint t) {
    const auto corner = [&](int i) {
        return std::array<float, 3>{(i & 1) ? hi[0] : lo[0], (i & 2) ? hi[1] : lo[1],
                                    (i & 4) ? hi[2] : lo[2]};
    };
    for (int i = 0; i < 8; ++i)
        for (int bit : {1, 2, 4})
            if ((i & bit) == 0) {
                const auto a = corner(i), b = corner(i | bit);
                Segment(out, a.data(), b.data(), t);
            }
}

void Grow(std::array<float, 3>& lo, std::array<float, 3>& hi, const float* p) {
    for (size_t k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], p[k]);
        hi[k] = std::max(hi[k], p[k]);
    }
}

// A room's one-sided faces by the way they face: 2 x axis + (1 where the face looks towards the axis's
// negative side) for a face whose corners share that axis's coordinate, kOtherFaces for the rest.
constexpr size_t kOtherFaces = 6;

size_t FacingGroup(const scene::Triangle& tri) {
    const auto& c = tri.Corners;
    const std::array<std::array<double, 3>, 3> p{
        {{c[0].X, c[0].Y, c[0].Z}, {c[1].X, c[1].Y, c[1].Z}, {c[2].X, c[2].Y, c[2].Z}}};
    // The normal by the corners' counter-clockwise order, towards the front; exact in doubles.
    const std::array<double, 3> u{p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
    const std::array<double, 3> v{p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
    const std::array<double, 3> n{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                                  u[0] * v[1] - u[1] * v[0]};
    for (size_t axis = 0; axis < 3; ++axis)
        if (p[0][axis] == p[1][axis] && p[0][axis] == p[2][axis] && n[axis] != 0)
            return 2 * axis + (n[axis] < 0 ? 1 : 0);
    return kOtherFaces;
}

// Whether some face of a group across an axis can show its front to the eye: for a group facing +axis,
// the eye above its lowest plane; for -axis, below its highest. From elsewhere the GL would cull each.
bool GroupMayFaceEye(size_t group, float plane, const QVector3D& eye) {
    const float at = eye[static_cast<int>(group / 2)];
    return group % 2 == 0 ? at > plane : at < plane;
}

QSurfaceFormat WantedFormat() {
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setVersion(3, 3);
    f.setProfile(QSurfaceFormat::CoreProfile);
    f.setDepthBufferSize(24);
    return f;
}

} // namespace

View3D::View3D(SpanSelection& selection, QWidget* parent) : QOpenGLWidget(parent), selection_(selection) {
    setObjectName(QStringLiteral("view3D"));
    setFormat(WantedFormat());
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(160, 120);
    camera_.Yaw = 30;
    camera_.Pitch = 25;
    connect(&selection_, &SpanSelection::Changed, this, &View3D::FollowSelection);
    connect(&selection_, &SpanSelection::WalkReplaced, this, &View3D::WalkReplaced);
}

View3D::~View3D() {
    ReleaseGL();
}

bool View3D::OpenGLAvailable(QString* why) {
    static int known = -1; // -1 not asked yet, else 0 or 1
    static QString reason;
    if (known < 0) {
        QOpenGLContext context;
        context.setFormat(WantedFormat());
        QOffscreenSurface surface;
        if (!context.create()) {
            reason = tr("OpenGL cannot be used here: no OpenGL context could be made.");
        } else {
            surface.setFormat(context.format());
            surface.create();
            const QSurfaceFormat got = context.format();
            if (!context.makeCurrent(&surface))
                reason = tr("OpenGL cannot be used here: its context could not be made current.");
            else if (context.isOpenGLES() || got.version() < qMakePair(3, 3))
                reason = tr("OpenGL 3.3 is needed; this system offers %1.%2.")
                             .arg(got.majorVersion())
                             .arg(got.minorVersion());
            context.doneCurrent();
        }
        known = reason.isEmpty() ? 1 : 0;
    }
    if (why)
        *why = reason;
    return known == 1;
}

const scene::Scene& View3D::Scene() {
    EnsureScene();
    return scene_;
}

void View3D::EnsureScene() {
    if (!sceneDirty_)
        return;
    sceneDirty_ = false;
    map_ = WalkMap();
    scene_ = {};
    sceneMap_ = &map_;
    if (const LevelFile* level = selection_.Level()) {
        // The report's walk serves where it listed the room meshes; otherwise the view walks again.
        if (scene::HoldsRoomMeshes(selection_.Map()))
            sceneMap_ = &selection_.Map();
        else
            scene::WalkForScene(*level, map_);
        scene_ = scene::BuildScene(*sceneMap_, *level);
    }
    buffersDirty_ = tilesDirty_ = true;
    if (currentRoom_ >= static_cast<int32_t>(scene_.Rooms.size()))
        currentRoom_ = -1;
    chosen_ = Resolve();
    if (chosen_.Room >= 0)
        currentRoom_ = chosen_.Room;
    FrameChosen();
    emit SceneBuilt();
}

void View3D::WalkReplaced() {
    sceneDirty_ = true;
    currentRoom_ = -1;
    chosen_ = {};
    if (isVisible())
        EnsureScene();
    update();
}

void View3D::SetCurrentRoom(int32_t room) {
    EnsureScene();
    currentRoom_ = room >= 0 && room < static_cast<int32_t>(scene_.Rooms.size()) ? room : -1;
    update();
}

std::vector<int32_t> View3D::VisibleRooms() {
    EnsureScene();
    if (allRooms_ || currentRoom_ < 0)
        return {};
    std::vector<int32_t> rooms{currentRoom_};
    for (int32_t n : scene_.Rooms[static_cast<size_t>(currentRoom_)].Neighbours)
        if (n != currentRoom_)
            rooms.push_back(n);
    return rooms;
}

void View3D::SetAllRooms(bool all) {
    allRooms_ = all;
    update();
}

void View3D::SetTileDepth(scene::TileDepth depth) {
    if (depth_ != depth) {
        depth_ = depth;
        tilesDirty_ = true;
        update();
    }
}

void View3D::SetWireframe(bool on) {
    wireframe_ = on;
    update();
}

void View3D::SetShowInvalid(bool on) {
    showInvalid_ = on;
    update();
}

void View3D::SetFlyMode(bool on) {
    camera_.Kind = on ? View3DCamera::Mode::Fly : View3DCamera::Mode::Orbit;
}

// ---- The selection ----------------------------------------------------------------------------------

View3D::Chosen View3D::Resolve() const {
    Chosen chosen;
    const int64_t offset = selection_.FocusOffset();
    if (offset < 0 || scene_.Rooms.empty())
        return chosen;
    const WalkMap& map = selection_.Map();
    int32_t roomNumber = -1;
    for (int32_t s = map.SpanAt(offset); s >= 0; s = map[s].Parent)
        if (map[s].Kind == SpanKind::Room) {
            roomNumber = map[s].Index;
            break;
        }
    chosen.Room = roomNumber >= 0 ? scene_.IndexOfRoom(roomNumber) : -1;
    if (chosen.Room >= 0) {
        const scene::SceneRoom& room = scene_.Rooms[static_cast<size_t>(chosen.Room)];
        for (int32_t t = room.FirstTriangle; t < room.FirstTriangle + room.Triangles; ++t) {
            const scene::Triangle& tri = scene_.Triangles[static_cast<size_t>(t)];
            if (Holds(tri.RecordAt, RecordSize(tri.Kind), offset))
                chosen.Triangles.push_back(t);
        }
        if (!chosen.Triangles.empty())
            return chosen;
        for (size_t p = 0; p < scene_.Portals.size(); ++p)
            if (scene_.Portals[p].Room == chosen.Room &&
                Holds(scene_.Portals[p].RecordAt, format::kDoor.Size, offset)) {
                chosen.Portal = static_cast<int32_t>(p);
                return chosen;
            }
    }
    for (size_t m = 0; m < scene_.Markers.size(); ++m) {
        const scene::Marker& marker = scene_.Markers[m];
        if (Holds(marker.RecordAt, RecordSize(marker.Kind), offset)) {
            chosen.Marker = static_cast<int32_t>(m);
            if (chosen.Room < 0)
                chosen.Room = marker.Room;
            break;
        }
    }
    return chosen;
}

void View3D::FollowSelection(const QObject* source) {
    if (sceneDirty_) {
        if (!isVisible())
            return;
        EnsureScene();
    }
    Highlight(source != this);
}

void View3D::Highlight(bool frame) {
    chosen_ = Resolve();
    if (chosen_.Room >= 0)
        currentRoom_ = chosen_.Room;
    if (frame)
        FrameChosen();
    update();
}

void View3D::FrameChosen() {
    std::array<float, 3> lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
    for (int32_t t : chosen_.Triangles)
        for (const scene::Corner& c : scene_.Triangles[static_cast<size_t>(t)].Corners) {
            const float p[3] = {c.X, c.Y, c.Z};
            Grow(lo, hi, p);
        }
    if (chosen_.Portal >= 0)
        for (const auto& c : scene_.Portals[static_cast<size_t>(chosen_.Portal)].Corners)
            Grow(lo, hi, c.data());
    if (chosen_.Marker >= 0) {
        const auto& at = scene_.Markers[static_cast<size_t>(chosen_.Marker)].Position;
        const float a[3] = {at[0] - 512, at[1] - 512, at[2] - 512},
                    b[3] = {at[0] + 512, at[1] + 512, at[2] + 512};
        Grow(lo, hi, a);
        Grow(lo, hi, b);
    }
    if (lo[0] > hi[0]) {
        if (currentRoom_ >= 0 && !allRooms_) {
            const scene::SceneRoom& room = scene_.Rooms[static_cast<size_t>(currentRoom_)];
            lo = room.Min;
            hi = room.Max;
        } else if (!scene_.Triangles.empty()) {
            lo = scene_.Min;
            hi = scene_.Max;
        } else {
            return;
        }
    }
    camera_.Frame(lo, hi);
    framed_ = true;
    update();
}

void View3D::FrameSelection() {
    EnsureScene();
    chosen_ = Resolve();
    FrameChosen();
}

void View3D::SelectTriangle(int32_t triangle) {
    const scene::Triangle& tri = scene_.Triangles[static_cast<size_t>(triangle)];
    if (tri.RecordAt < 0)
        return;
    selection_.SelectBytes(tri.RecordAt, int64_t{tri.RecordAt} + RecordSize(tri.Kind), this);
}

int32_t View3D::TriangleAt(QPointF p) {
    EnsureScene();
    if (scene_.Triangles.empty())
        return -1;
    const scene::Ray ray =
        camera_.RayThrough(static_cast<float>(p.x()), static_cast<float>(p.y()), width(), height());
    return scene::Pick(scene_, ray, VisibleRooms(), showInvalid_).Triangle;
}

QString View3D::DescribeTriangle(int32_t triangle) const {
    if (triangle < 0 || triangle >= static_cast<int32_t>(scene_.Triangles.size()))
        return {};
    const scene::Triangle& tri = scene_.Triangles[static_cast<size_t>(triangle)];
    const int32_t room = tri.Room >= 0 ? scene_.Rooms[static_cast<size_t>(tri.Room)].Number : -1;
    const QString face = tri.Kind == scene::FaceKind::Rectangle ? tr("rectangle %1") : tr("triangle %1");
    QString texture;
    if (tri.ObjectTexture < 0)
        texture = tr("object texture missing");
    else if (tri.Tile < 0)
        texture = tr("object texture %1 (its tile missing)").arg(tri.ObjectTexture);
    else
        texture = tr("object texture %1 (tile %2)").arg(tri.ObjectTexture).arg(tri.Tile);
    QString text = tr("room %1, %2, %3").arg(room).arg(face.arg(tri.Face), texture);
    if (tri.Has(scene::Triangle::DoubleSided))
        text += tr(", both sides");
    if (tri.Has(scene::Triangle::Invalid))
        text += tr(", invalid reference");
    return text;
}

// ---- Mouse and keys ---------------------------------------------------------------------------------

void View3D::showEvent(QShowEvent* event) {
    QOpenGLWidget::showEvent(event);
    EnsureScene();
}

void View3D::mousePressEvent(QMouseEvent* event) {
    pressAt_ = lastAt_ = event->position().toPoint();
    pressed_ = event->button();
    dragged_ = false;
    setFocus(Qt::MouseFocusReason);
}

void View3D::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->buttons() == Qt::NoButton) {
        const QString text = DescribeTriangle(TriangleAt(event->position() + QPointF(0.5, 0.5)));
        setToolTip(text);
        emit Hovered(text);
        return;
    }
    if ((at - pressAt_).manhattanLength() > kClickSlop)
        dragged_ = true;
    const QPoint delta = at - lastAt_;
    lastAt_ = at;
    const bool pan =
        (event->buttons() & (Qt::RightButton | Qt::MiddleButton)) || (event->modifiers() & Qt::ShiftModifier);
    if (pan)
        camera_.Pan(static_cast<float>(delta.x()), static_cast<float>(delta.y()), height());
    else
        camera_.Turn(static_cast<float>(delta.x()), static_cast<float>(delta.y()));
    update();
}

void View3D::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_ == Qt::LeftButton && !dragged_) {
        const int32_t t = TriangleAt(event->position() + QPointF(0.5, 0.5));
        if (t >= 0)
            SelectTriangle(t);
    }
    pressed_ = Qt::NoButton;
}

void View3D::wheelEvent(QWheelEvent* event) {
    camera_.Zoom(static_cast<float>(event->angleDelta().y()) / 120.0f);
    update();
}

void View3D::keyPressEvent(QKeyEvent* event) {
    const float step = std::max(camera_.Distance * 0.1f, 64.0f);
    switch (event->key()) {
    case Qt::Key_F:
        FrameSelection();
        return;
    case Qt::Key_W:
        camera_.Move(1, 0, step);
        break;
    case Qt::Key_S:
        camera_.Move(-1, 0, step);
        break;
    case Qt::Key_A:
        camera_.Move(0, -1, step);
        break;
    case Qt::Key_D:
        camera_.Move(0, 1, step);
        break;
    default:
        QOpenGLWidget::keyPressEvent(event);
        return;
    }
    update();
}

// ---- GL ---------------------------------------------------------------------------------------------

void View3D::initializeGL() {
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &View3D::ReleaseGL);
    if (!initializeOpenGLFunctions()) {
        emit Unavailable(tr("OpenGL 3.3 is needed to draw the rooms."));
        return;
    }
    faces_ = std::make_unique<QOpenGLShaderProgram>();
    lines_ = std::make_unique<QOpenGLShaderProgram>();
    const bool built =
        faces_->addShaderFromSourceCode(QOpenGLShader::Vertex, kFaceVertex) &&
        faces_->addShaderFromSourceCode(QOpenGLShader::Fragment, kFaceFragment) && faces_->link() &&
        lines_->addShaderFromSourceCode(QOpenGLShader::Vertex, kLineVertex) &&
        lines_->addShaderFromSourceCode(QOpenGLShader::Fragment, kLineFragment) && lines_->link();
    if (!built) {
        const QString log = faces_->log() + lines_->log();
        faces_.reset();
        lines_.reset();
        emit Unavailable(tr("The 3D view's shaders could not be built: %1").arg(log));
        return;
    }
    glGenVertexArrays(1, &facesVao_);
    glGenBuffers(1, &facesVbo_);
    glGenBuffers(1, &facesIndices_);
    glGenVertexArrays(1, &linesVao_);
    glGenBuffers(1, &linesVbo_);
    glGenVertexArrays(1, &marksVao_);
    glGenBuffers(1, &marksVbo_);
    glGenTextures(1, &tiles_);

    const auto floats = [](int n) {
        return reinterpret_cast<const void*>(static_cast<uintptr_t>(n) * sizeof(float));
    };
    glBindVertexArray(facesVao_);
    glBindBuffer(GL_ARRAY_BUFFER, facesVbo_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, facesIndices_);
    constexpr GLsizei faceStride = sizeof(FaceVertex);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, faceStride, floats(0));
    glVertexAttribPointer(1, 3, GL_UNSIGNED_SHORT, GL_FALSE, faceStride,
                          reinterpret_cast<const void*>(offsetof(FaceVertex, U)));
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    for (const auto& [vao, vbo] : {std::pair{linesVao_, linesVbo_}, std::pair{marksVao_, marksVbo_}}) {
        glBindVertexArray(vao);
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        constexpr GLsizei lineStride = kLineFloats * sizeof(float);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, lineStride, floats(0));
        glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, lineStride, floats(3));
        glEnableVertexAttribArray(0);
        glEnableVertexAttribArray(1);
    }
    glBindVertexArray(0);
    glReady_ = true;
    buffersDirty_ = tilesDirty_ = true;
}

void View3D::ReleaseGL() {
    if (!glReady_ || !context())
        return;
    makeCurrent();
    glDeleteVertexArrays(1, &facesVao_);
    glDeleteBuffers(1, &facesVbo_);
    glDeleteBuffers(1, &facesIndices_);
    glDeleteVertexArrays(1, &linesVao_);
    glDeleteBuffers(1, &linesVbo_);
    glDeleteVertexArrays(1, &marksVao_);
    glDeleteBuffers(1, &marksVbo_);
    glDeleteTextures(1, &tiles_);
    faces_.reset();
    lines_.reset();
    glReady_ = false;
    doneCurrent();
}

void View3D::UploadScene() {
    buffersDirty_ = false;
    // Room by room, corners equal in place, texture coordinates and tile are stored once, as the room's
    // faces share its vertices in the file; the renderer then works each stored corner once. The
    // indices are laid out as FaceRuns tells.
    std::vector<FaceVertex> corners;
    std::vector<uint32_t> front, both;
    front.reserve(scene_.Triangles.size() * 3);
    std::vector<uint32_t> table; // a room's corners by hash: the corner's number + 1, 0 where empty
    std::vector<uint8_t> groupOf;
    faceRuns_.assign(scene_.Rooms.size(), {});
    for (size_t r = 0; r < scene_.Rooms.size(); ++r) {
        const scene::SceneRoom& room = scene_.Rooms[r];
        FaceRuns& runs = faceRuns_[r];
        runs.FirstCorner = static_cast<uint32_t>(corners.size());
        table.assign(std::bit_ceil(std::max<size_t>(16, size_t(room.Triangles) * 6)), 0);
        const size_t mask = table.size() - 1;
        const auto add = [&](const scene::Triangle& tri, std::vector<uint32_t>& out) {
            const uint16_t layer = tri.Tile >= 0 && tri.Tile < layers_ && !tri.Has(scene::Triangle::Invalid)
                                       ? static_cast<uint16_t>(tri.Tile)
                                       : kNoLayer;
            for (const scene::Corner& c : tri.Corners) {
                const FaceVertex v{c.X, c.Y, c.Z, Fraction(c.U), Fraction(c.V), layer, 0};
                size_t slot = XXH3_64bits(&v, sizeof v) & mask;
                while (table[slot] != 0 && std::memcmp(&corners[table[slot] - 1], &v, sizeof v) != 0)
                    slot = (slot + 1) & mask;
                if (table[slot] == 0) {
                    corners.push_back(v);
                    table[slot] = static_cast<uint32_t>(corners.size());
                }
                out.push_back(table[slot] - 1);
            }
        };
        const auto roomTriangles =
            std::span(scene_.Triangles)
                .subspan(static_cast<size_t>(room.FirstTriangle), static_cast<size_t>(room.Triangles));
        groupOf.clear();
        for (const scene::Triangle& tri : roomTriangles)
            groupOf.push_back(static_cast<uint8_t>(FacingGroup(tri)));
        for (size_t g = 0; g < runs.Plane.size(); ++g)
            runs.Plane[g] =
                g % 2 == 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
        for (size_t g = 0; g < runs.Groups.size(); ++g) {
            const auto first = static_cast<int64_t>(front.size());
            for (size_t t = 0; t < roomTriangles.size(); ++t) {
                const scene::Triangle& tri = roomTriangles[t];
                if (groupOf[t] != g || tri.Has(scene::Triangle::DoubleSided))
                    continue;
                if (g != kOtherFaces) {
                    const float plane =
                        std::array{tri.Corners[0].X, tri.Corners[0].Y, tri.Corners[0].Z}[g / 2];
                    runs.Plane[g] =
                        g % 2 == 0 ? std::min(runs.Plane[g], plane) : std::max(runs.Plane[g], plane);
                }
                add(tri, front);
            }
            runs.Groups[g] = {first, static_cast<int64_t>(front.size()) - first};
        }
        runs.Both.first = static_cast<int64_t>(both.size());
        for (const scene::Triangle& tri : roomTriangles)
            if (tri.Has(scene::Triangle::DoubleSided))
                add(tri, both);
        runs.Both.second = static_cast<int64_t>(both.size()) - runs.Both.first;
        runs.LastCorner = static_cast<uint32_t>(std::max(corners.size(), size_t{1}) - 1);
    }
    // The faces drawn from both sides follow those drawn from the front only.
    for (FaceRuns& runs : faceRuns_)
        runs.Both.first += static_cast<int64_t>(front.size());
    front.insert(front.end(), both.begin(), both.end());
    glBindVertexArray(facesVao_);
    glBindBuffer(GL_ARRAY_BUFFER, facesVbo_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(FaceVertex)),
                 corners.data(), GL_STATIC_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(front.size() * sizeof(uint32_t)),
                 front.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);

    // Doors as lines, then markers as points, each grouped by room so that a room's share is one run.
    std::vector<float> overlay;
    std::vector<std::vector<int32_t>> portalsOf(scene_.Rooms.size()), markersOf(scene_.Rooms.size());
    std::vector<int32_t> unplaced;
    const auto rooms = static_cast<int32_t>(scene_.Rooms.size());
    for (size_t p = 0; p < scene_.Portals.size(); ++p)
        if (scene_.Portals[p].Room >= 0 && scene_.Portals[p].Room < rooms)
            portalsOf[static_cast<size_t>(scene_.Portals[p].Room)].push_back(static_cast<int32_t>(p));
    for (size_t m = 0; m < scene_.Markers.size(); ++m) {
        const int32_t room = scene_.Markers[m].Room;
        if (room >= 0 && room < rooms)
            markersOf[static_cast<size_t>(room)].push_back(static_cast<int32_t>(m));
        else
            unplaced.push_back(static_cast<int32_t>(m));
    }
    const auto vertices = [&] { return static_cast<int32_t>(overlay.size() / kLineFloats); };
    doorRuns_.assign(scene_.Rooms.size(), {0, 0});
    markerRuns_.assign(scene_.Rooms.size(), {0, 0});
    for (size_t r = 0; r < scene_.Rooms.size(); ++r) {
        const int32_t first = vertices();
        for (int32_t p : portalsOf[r]) {
            const auto& c = scene_.Portals[static_cast<size_t>(p)].Corners;
            for (size_t i = 0; i < 4; ++i)
                Segment(overlay, c[i].data(), c[(i + 1) % 4].data(), kDoorTint);
        }
        doorRuns_[r] = {first, vertices() - first};
    }
    doorVertices_ = vertices();
    for (size_t r = 0; r < scene_.Rooms.size(); ++r) {
        const int32_t first = vertices();
        for (int32_t m : markersOf[r]) {
            const scene::Marker& marker = scene_.Markers[static_cast<size_t>(m)];
            Point(overlay, marker.Position.data(), MarkerTint(marker.Kind));
        }
        markerRuns_[r] = {first, vertices() - first};
    }
    unplacedFirst_ = vertices();
    for (int32_t m : unplaced) {
        const scene::Marker& marker = scene_.Markers[static_cast<size_t>(m)];
        Point(overlay, marker.Position.data(), MarkerTint(marker.Kind));
    }
    unplacedCount_ = vertices() - unplacedFirst_;
    overlayVertices_ = vertices();
    glBindBuffer(GL_ARRAY_BUFFER, linesVbo_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(overlay.size() * sizeof(float)), overlay.data(),
                 GL_STATIC_DRAW);
}

void View3D::UploadTiles() {
    tilesDirty_ = false;
    GLint most = 256;
    glGetIntegerv(GL_MAX_ARRAY_TEXTURE_LAYERS, &most);
    const int32_t before = layers_;
    layers_ = std::clamp(scene_.TileCount, 1, std::max(most, 1));
    glBindTexture(GL_TEXTURE_2D_ARRAY, tiles_);
    glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, scene::kTileSide, scene::kTileSide, layers_, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    constexpr size_t kPixels = size_t{scene::kTileSide} * scene::kTileSide;
    const std::vector<format::Rgba> missing(kPixels, scene::kWarningColour);
    for (int32_t t = 0; t < layers_; ++t) {
        std::vector<format::Rgba> pixels;
        if (selection_.Level() && t < scene_.TileCount)
            pixels = scene::TilePixels(*sceneMap_, *selection_.Level(), t, depth_);
        const format::Rgba* data = pixels.size() == kPixels ? pixels.data() : missing.data();
        glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, t, scene::kTileSide, scene::kTileSide, 1, GL_RGBA,
                        GL_UNSIGNED_BYTE, data);
    }
    // Near, a tile's pixels stay sharp; far, its smaller copies keep pictures and numbers from shimmering.
    // Within a copy the nearest pixel serves: on the software renderer that reads a quarter of the pixels
    // that blending four would, for the same picture.
    glGenerateMipmap(GL_TEXTURE_2D_ARRAY);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    // The faces name their layer: a different number of layers changes which tiles they can reach.
    if (before != layers_)
        buffersDirty_ = true;
}

void View3D::resizeGL(int, int) {}

void View3D::DrawNow() {
    makeCurrent();
    paintGL();
    if (glReady_)
        glFinish();
    doneCurrent();
}

void View3D::DrawLines(const std::vector<float>& vertices, unsigned mode, bool depthTest) {
    if (vertices.empty())
        return;
    if (!depthTest)
        glDisable(GL_DEPTH_TEST);
    glBindVertexArray(marksVao_);
    glBindBuffer(GL_ARRAY_BUFFER, marksVbo_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)), vertices.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(mode, 0, static_cast<GLsizei>(vertices.size() / kLineFloats));
    glEnable(GL_DEPTH_TEST);
}

void View3D::paintGL() {
    if (!glReady_)
        return;
    EnsureScene();
    if (tilesDirty_)
        UploadTiles();
    if (buffersDirty_)
        UploadScene();

    glClearColor(0.12f, 0.12f, 0.14f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (scene_.Rooms.empty())
        return;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    const float aspect = static_cast<float>(width()) / static_cast<float>(std::max(height(), 1));
    const QMatrix4x4 mvp = camera_.Projection(aspect) * camera_.View();
    const std::vector<int32_t> visible = VisibleRooms();

    faces_->bind();
    faces_->setUniformValue("mvp", mvp);
    faces_->setUniformValue("tiles", 0);
    faces_->setUniformValue("showInvalid", showInvalid_ ? 1 : 0);
    const auto& w = scene::kWarningColour;
    faces_->setUniformValue("warning", QVector4D(w.R / 255.0f, w.G / 255.0f, w.B / 255.0f, 1.0f));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D_ARRAY, tiles_);
    glBindVertexArray(facesVao_);
    glPolygonMode(GL_FRONT_AND_BACK, wireframe_ ? GL_LINE : GL_FILL);
    // One run of indices [first, first + count) of a room's faces.
    const auto drawFaces = [&](const FaceRuns& runs, int64_t first, int64_t count) {
        if (count > 0)
            glDrawRangeElements(
                GL_TRIANGLES, runs.FirstCorner, runs.LastCorner, static_cast<GLsizei>(count), GL_UNSIGNED_INT,
                reinterpret_cast<const void*>(static_cast<uintptr_t>(first) * sizeof(uint32_t)));
    };
    std::vector<int32_t> rooms = visible;
    if (visible.empty())
        for (size_t r = 0; r < scene_.Rooms.size(); ++r)
            rooms.push_back(static_cast<int32_t>(r));
    const QVector3D eye = camera_.Eye();

    // The faces drawn from the front only, with their backs culled; of them, the groups whose faces all
    // turn their backs to the eye are left out whole. Then the faces drawn from both sides.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    for (int32_t r : rooms) {
        const FaceRuns& runs = faceRuns_[static_cast<size_t>(r)];
        int64_t first = 0, count = 0; // the groups drawn one after the other make one run
        for (size_t g = 0; g < runs.Groups.size(); ++g) {
            if (g != kOtherFaces && !GroupMayFaceEye(g, runs.Plane[g], eye)) {
                drawFaces(runs, first, count);
                count = 0;
                continue;
            }
            if (count == 0)
                first = runs.Groups[g].first;
            count += runs.Groups[g].second;
        }
        drawFaces(runs, first, count);
    }
    glDisable(GL_CULL_FACE);
    for (int32_t r : rooms) {
        const FaceRuns& runs = faceRuns_[static_cast<size_t>(r)];
        drawFaces(runs, runs.Both.first, runs.Both.second);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    // Doors, markers and the highlight over the faces, translucent, keeping the frame opaque.
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
    glDepthMask(GL_FALSE);
    lines_->bind();
    lines_->setUniformValue("mvp", mvp);
    // One size for every marker, set in the GL rather than by the shader: the software renderer then
    // draws the points on its quick path.
    glPointSize(kMarkerPixels);
    glBindVertexArray(linesVao_);
    if (visible.empty()) {
        glDrawArrays(GL_LINES, 0, doorVertices_);
        glDrawArrays(GL_POINTS, doorVertices_, overlayVertices_ - doorVertices_);
    } else {
        for (int32_t r : visible) {
            const auto [first, count] = doorRuns_[static_cast<size_t>(r)];
            if (count > 0)
                glDrawArrays(GL_LINES, first, count);
            const auto [from, points] = markerRuns_[static_cast<size_t>(r)];
            if (points > 0)
                glDrawArrays(GL_POINTS, from, points);
        }
    }
    std::vector<float> marks;
    for (int32_t t : chosen_.Triangles) {
        const auto& c = scene_.Triangles[static_cast<size_t>(t)].Corners;
        for (size_t i = 0; i < 3; ++i) {
            const float a[3] = {c[i].X, c[i].Y, c[i].Z};
            const float b[3] = {c[(i + 1) % 3].X, c[(i + 1) % 3].Y, c[(i + 1) % 3].Z};
            Segment(marks, a, b, kHighlightTint);
        }
    }
    if (chosen_.Portal >= 0) {
        const auto& c = scene_.Portals[static_cast<size_t>(chosen_.Portal)].Corners;
        for (size_t i = 0; i < 4; ++i)
            Segment(marks, c[i].data(), c[(i + 1) % 4].data(), kHighlightTint);
    }
    if (chosen_.Marker >= 0)
        Cross(marks, scene_.Markers[static_cast<size_t>(chosen_.Marker)].Position, kMarkerArm * 2,
              kHighlightTint);
    if (marks.empty() && chosen_.Room >= 0) {
        const scene::SceneRoom& room = scene_.Rooms[static_cast<size_t>(chosen_.Room)];
        Box(marks, room.Min, room.Max, kHighlightTint);
    }
    DrawLines(marks, GL_LINES, false);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glBindVertexArray(0);
}
