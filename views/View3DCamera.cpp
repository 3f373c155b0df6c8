#include "views/View3DCamera.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDegrees = 3.14159265358979f / 180.0f;
constexpr float kTurnPerPixel = 0.4f;

} // namespace

QVector3D View3DCamera::Eye() const {
    return Target - Forward() * Distance;
}

QVector3D View3DCamera::Forward() const {
    const float yaw = Yaw * kDegrees, pitch = Pitch * kDegrees;
    // From the target towards the eye: (cos p sin y, sin p, cos p cos y); the view looks the other way.
    return -QVector3D(std::cos(pitch) * std::sin(yaw), std::sin(pitch), std::cos(pitch) * std::cos(yaw));
}

QVector3D View3DCamera::Right() const {
    const float yaw = Yaw * kDegrees;
    return {std::cos(yaw), 0, -std::sin(yaw)};
}

QMatrix4x4 View3DCamera::View() const {
    QMatrix4x4 m;
    m.lookAt(Eye(), Target, QVector3D(0, 1, 0));
    return m;
}

float View3DCamera::Near() const {
    return std::clamp(Distance / 256.0f, 4.0f, 256.0f);
}

float View3DCamera::Far() const {
    return Distance + 4 * Radius + 65536.0f;
}

QMatrix4x4 View3DCamera::Projection(float aspect) const {
    QMatrix4x4 m;
    m.perspective(FieldOfView, aspect > 0 ? aspect : 1.0f, Near(), Far());
    return m;
}

scene::Ray View3DCamera::RayThrough(float x, float y, int width, int height) const {
    const float w = static_cast<float>(std::max(width, 1)), h = static_cast<float>(std::max(height, 1));
    const float ndcX = 2 * x / w - 1, ndcY = 1 - 2 * y / h;
    const float halfHeight = std::tan(FieldOfView * kDegrees / 2);
    const QVector3D up = QVector3D::crossProduct(Right(), Forward());
    const QVector3D direction =
        (Forward() + Right() * (ndcX * halfHeight * w / h) + up * (ndcY * halfHeight)).normalized();
    const QVector3D eye = Eye();
    return {{eye.x(), eye.y(), eye.z()}, {direction.x(), direction.y(), direction.z()}};
}

void View3DCamera::Frame(const std::array<float, 3>& min, const std::array<float, 3>& max) {
    const QVector3D lo(min[0], min[1], min[2]), hi(max[0], max[1], max[2]);
    Target = (lo + hi) / 2;
    Radius = std::max((hi - lo).length() / 2, 256.0f);
    Distance = Radius / std::sin(FieldOfView * kDegrees / 2) * 1.05f;
}

void View3DCamera::Turn(float dx, float dy) {
    const QVector3D eye = Eye();
    Yaw -= dx * kTurnPerPixel;
    Yaw = std::fmod(Yaw, 360.0f);
    Pitch = std::clamp(Pitch + dy * kTurnPerPixel, -89.0f, 89.0f);
    if (Kind == Mode::Fly)
        Target = eye + Forward() * Distance;
}

void View3DCamera::Zoom(float steps) {
    const float factor = std::pow(0.85f, steps);
    if (Kind == Mode::Fly) {
        Move(Distance * (1 - factor), 0, 1);
        return;
    }
    Distance = std::clamp(Distance * factor, 64.0f, 4.0e6f);
}

void View3DCamera::Pan(float dx, float dy, int viewportHeight) {
    const float perPixel =
        2 * Distance * std::tan(FieldOfView * kDegrees / 2) / static_cast<float>(std::max(viewportHeight, 1));
    const QVector3D up = QVector3D::crossProduct(Right(), Forward());
    Target += (-Right() * dx + up * dy) * perPixel;
}

void View3DCamera::Move(float forward, float right, float step) {
    Target += (Forward() * forward + Right() * right) * step;
}
