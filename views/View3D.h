#pragma once
// The 3D view: the rooms of the last walk drawn with their tiles through OpenGL 3.3 core, linked to the
// report, the outline and the hex view through the shared selection. The current room and the rooms
// its doors lead to are drawn, or every room; faces of both-sided textures from both sides, the others
// only from the front; faces that name something the level does not hold in the warning colour; doors
// as translucent outlines and crosses for the lights, static meshes, items and cameras.
//
// Mouse: a drag turns (orbits the target, or in fly mode turns about the eye), a right or shift drag
// pans, the wheel zooms, a click selects the face under the cursor. Keys: F frames the selection,
// W/A/S/D move forward, left, back and right. Hovering names the room, face and texture.
//
// The scene is built when the view is first shown after a walk, from the report's walk where it listed
// the room meshes, else from a walk of its own that lists them, and picking runs on it without GL. The
// faces remember their file offsets, which the shared selection takes whatever the report lists.
#include <QOpenGLFunctions_3_3_Core>
#include <QOpenGLWidget>
#include <QPoint>
#include <memory>
#include <vector>

#include "scene/Scene.h"
#include "views/View3DCamera.h"

class QOpenGLShaderProgram;
class SpanSelection;

class View3D : public QOpenGLWidget, protected QOpenGLFunctions_3_3_Core {
    Q_OBJECT
  public:
    explicit View3D(SpanSelection& selection, QWidget* parent = nullptr);
    ~View3D() override;

    // Whether an OpenGL 3.3 core context can be had here; why not in *why.
    static bool OpenGLAvailable(QString* why);

    View3DCamera& Camera() { return camera_; }
    const scene::Scene& Scene();
    // Index into the scene's rooms of the current room, -1 for none.
    int32_t CurrentRoom() const { return currentRoom_; }
    void SetCurrentRoom(int32_t room);
    // The rooms drawn and picked: the current room and its neighbours, or every room.
    std::vector<int32_t> VisibleRooms();

    bool AllRooms() const { return allRooms_; }
    void SetAllRooms(bool all);
    void SetTileDepth(scene::TileDepth depth);
    void SetWireframe(bool on);
    void SetShowInvalid(bool on);
    void SetFlyMode(bool on);

    // The triangle under point p of the widget (an index into the scene's triangles, -1 for none).
    int32_t TriangleAt(QPointF p);
    // What the hover names: "room 3, rectangle 12, object texture 5 (tile 2)"; empty over nothing.
    QString DescribeTriangle(int32_t triangle) const;
    // Frames the selected face, door, marker or room, or every visible room when nothing is selected.
    void FrameSelection();
    // Draws one frame into the view's framebuffer and waits until GL has finished it (for measuring).
    void DrawNow();

  signals:
    // The hover's words, or empty when the cursor left every face.
    void Hovered(const QString& text);
    // The scene was built anew (a new walk): its invalid faces' text may have changed.
    void SceneBuilt();
    // GL could not be set up; the view draws nothing.
    void Unavailable(const QString& why);

  protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // What the selection names in the scene.
    struct Chosen {
        int32_t Room = -1;
        std::vector<int32_t> Triangles;
        int32_t Portal = -1, Marker = -1;
    };

    void EnsureScene();
    void FollowSelection(const QObject* source);
    void WalkReplaced();
    Chosen Resolve() const;
    void Highlight(bool frame);
    void FrameChosen();
    void SelectTriangle(int32_t triangle);
    void UploadScene();
    void UploadTiles();
    void ReleaseGL();
    void DrawLines(const std::vector<float>& vertices, unsigned mode, bool depthTest);

    SpanSelection& selection_;
    // A walk of its own, which lists the room meshes, where the report's did not; the map the scene
    // was built from.
    WalkMap map_;
    const WalkMap* sceneMap_ = &map_;
    scene::Scene scene_;
    bool sceneDirty_ = true;
    bool framed_ = false;
    View3DCamera camera_;
    int32_t currentRoom_ = -1;
    Chosen chosen_;
    bool allRooms_ = false;
    scene::TileDepth depth_ = scene::TileDepth::Bits8;
    bool wireframe_ = false;
    bool showInvalid_ = true;

    // GL state, valid between initializeGL and ReleaseGL.
    bool glReady_ = false;
    bool buffersDirty_ = true;
    bool tilesDirty_ = true;
    std::unique_ptr<QOpenGLShaderProgram> faces_, lines_;
    unsigned facesVao_ = 0, facesVbo_ = 0, facesIndices_ = 0, linesVao_ = 0, linesVbo_ = 0, marksVao_ = 0,
             marksVbo_ = 0, tiles_ = 0;
    int32_t layers_ = 0;
    // A room's faces in the index buffer. The faces drawn from the front only come first, room by
    // room, each room's in seven groups: the faces that lie across an axis (their corners share an x, y
    // or z) by the way they face (+x, -x, +y, -y, +z, -z), then the rest. The faces drawn from both sides
    // follow, room by room. A group of faces across an axis holds the plane that decides whether any of
    // them can face the eye: for a group facing +axis the lowest of its planes, for -axis the highest.
    struct FaceRuns {
        std::array<std::pair<int64_t, int64_t>, 7> Groups{}; // first index and count of each group
        std::array<float, 6> Plane{};
        std::pair<int64_t, int64_t> Both{0, 0};
        uint32_t FirstCorner = 0, LastCorner = 0;
    };
    std::vector<FaceRuns> faceRuns_;
    // Doors as lines, then markers as points, each by room: per room the first vertex and the count.
    std::vector<std::pair<int32_t, int32_t>> doorRuns_, markerRuns_;
    int32_t doorVertices_ = 0, overlayVertices_ = 0;
    int32_t unplacedFirst_ = 0, unplacedCount_ = 0; // markers that name no room the scene holds

    QPoint pressAt_;
    QPoint lastAt_;
    Qt::MouseButton pressed_ = Qt::NoButton;
    bool dragged_ = false;
};
