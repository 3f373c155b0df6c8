#pragma once
// The 3D view's camera, without GL: an orbit about a target point (turn, zoom, pan), or a fly mode that
// turns about the eye and moves it with the keys. Gives the view and projection matrices the view draws
// with and the ray from the eye through a point of the viewport that picking follows. Scene coordinates
// (y up), in file units.
#include <QMatrix4x4>
#include <QVector3D>
#include <array>

#include "scene/Scene.h"

class View3DCamera {
  public:
    enum class Mode { Orbit, Fly };

    Mode Kind = Mode::Orbit;
    QVector3D Target{0, 0, 0};
    float Yaw = 0;          // degrees about +y; 0 puts the eye south of the target (+z), 90 east (+x)
    float Pitch = 0;        // degrees; positive puts the eye above the target, looking down
    float Distance = 4096;  // from the eye to the target
    float FieldOfView = 60; // vertical, in degrees
    float Radius = 4096;    // of what was last framed: sets how far the view reaches

    QVector3D Eye() const;
    QVector3D Forward() const; // unit vector from the eye towards the target
    QVector3D Right() const;   // unit vector to the right of the view, level
    QMatrix4x4 View() const;
    QMatrix4x4 Projection(float aspect) const;
    float Near() const;
    float Far() const;

    // The ray from the eye through point (x, y) of a viewport width x height (y down, pixel centres at
    // half pixels), its direction of unit length.
    scene::Ray RayThrough(float x, float y, int width, int height) const;

    // Looks at the box min..max whole, from the current direction.
    void Frame(const std::array<float, 3>& min, const std::array<float, 3>& max);
    // A drag of dx, dy pixels: orbits about the target, or in fly mode turns about the eye.
    void Turn(float dx, float dy);
    // Wheel steps (positive: nearer).
    void Zoom(float steps);
    // A drag of dx, dy pixels that moves the view sideways and up, the target following the cursor.
    void Pan(float dx, float dy, int viewportHeight);
    // Moves eye and target together: forward along the view, right across it, by step units each.
    void Move(float forward, float right, float step);
};
