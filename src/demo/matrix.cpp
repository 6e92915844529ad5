// The polygon stage's matrix maths. Every step is single precision and in a fixed order, so
// the cubes land on the same pixels on every machine.
#include "demo/matrix.h"

#include <cmath>

namespace morwenfall
{

using namespace tarvo;

namespace
{

// One step of the 256-step turn, in radians.
const float kAngleToRadians = 0.02454369260617026f;

float dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3 scaled(const Vector3& a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}

Vector3 normalised(const Vector3& a)
{
    const float length = std::sqrt(dot(a, a));
    return {a.x / length, a.y / length, a.z / length};
}

void setRow(Matrix34& m, int i, const Vector3& v)
{
    m.row[i][0] = v.x;
    m.row[i][1] = v.y;
    m.row[i][2] = v.z;
}

} // namespace

void Matrix34::setRotation(float s, float a, float b, float c, float tx, float ty, float tz)
{
    const float ca = std::cos(a * kAngleToRadians);
    const float sa = std::sin(a * kAngleToRadians);
    const float cb = std::cos(b * kAngleToRadians);
    const float sb = std::sin(b * kAngleToRadians);
    const float cc = std::cos(c * kAngleToRadians);
    const float sc = std::sin(c * kAngleToRadians);

    setRow(*this, 0, scaled({cc * cb, sc * cb, -sb}, s));
    setRow(*this, 1, scaled({sa * sb * cc - sc * ca, sa * sb * sc + cc * ca, cb * sa}, s));
    setRow(*this, 2, scaled({sb * ca * cc + sc * sa, sb * ca * sc - cc * sa, cb * ca}, s));
    t[0] = tx;
    t[1] = ty;
    t[2] = tz;
}

void Matrix34::setLookAt(const Vector3& eye, const Vector3& direction, const Vector3& up, float fov,
                         float aspect)
{
    // The eye looks down -f, so f points back from the scene towards the eye.
    const float directionLength = std::sqrt(dot(direction, direction));
    const Vector3 f = {-direction.x / directionLength, -direction.y / directionLength,
                       -direction.z / directionLength};
    // Gram-Schmidt: up loses its part along f.
    const float upAlongF = dot(up, f);
    const Vector3 u =
        normalised({up.x - upAlongF * f.x, up.y - upAlongF * f.y, up.z - upAlongF * f.z});
    const Vector3 r = {u.y * f.z - u.z * f.y, u.z * f.x - u.x * f.z, u.x * f.y - u.y * f.x};

    Matrix34 view;
    setRow(view, 0, r);
    setRow(view, 1, u);
    setRow(view, 2, f);
    view.t[0] = -dot(r, eye);
    view.t[1] = -dot(u, eye);
    view.t[2] = -dot(f, eye);

    // Screen rows grow downwards, hence the negated y; the negated z turns depth positive.
    const float cotHalfFov = std::tan((64.0f - fov * 0.5f) * kAngleToRadians);
    Matrix34 projection;
    projection.row[0][0] = cotHalfFov;
    projection.row[1][1] = -cotHalfFov * aspect;
    projection.row[2][2] = -1.0f;

    compose(view, projection, *this);
}

void Matrix34::compose(const Matrix34& first, const Matrix34& second, Matrix34& out)
{
    // Work on copies so that out may alias either operand.
    const Matrix34 a = first;
    const Matrix34 b = second;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            out.row[i][j] =
                b.row[i][0] * a.row[0][j] + b.row[i][1] * a.row[1][j] + b.row[i][2] * a.row[2][j];
        }
        out.t[i] = b.row[i][0] * a.t[0] + b.row[i][1] * a.t[1] + b.row[i][2] * a.t[2] + b.t[i];
    }
}

Vector3 Matrix34::transformPoint(float x, float y, float z) const
{
    return {row[0][0] * x + row[0][1] * y + row[0][2] * z + t[0],
            row[1][0] * x + row[1][1] * y + row[1][2] * z + t[1],
            row[2][0] * x + row[2][1] * y + row[2][2] * z + t[2]};
}

void transformVertices(const Matrix34& m, const Vertex3d* in, Vertex3d* out, int count)
{
    for (int i = 0; i < count; ++i) {
        const Vector3 p = m.transformPoint(in[i].x, in[i].y, in[i].z);
        out[i].x = p.x;
        out[i].y = p.y;
        out[i].z = p.z;
    }
}

void projectVertices(const Viewport& viewport, const Vertex3d* in, Vertex3d* out, int count)
{
    for (int i = 0; i < count; ++i) {
        const float k = 1.0f / in[i].z;
        // Both read before either is written, as in and out may be the same vertex.
        const float x = (k * in[i].x) * viewport.scaleX + viewport.centerX;
        const float y = (k * in[i].y) * viewport.scaleY + viewport.centerY;
        out[i].x = x;
        out[i].y = y;
    }
}

} // namespace morwenfall
