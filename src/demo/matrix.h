// The polygon stage's small 3D maths: a 3x4 matrix for rotation, a look-at camera with its
// perspective, and the transformation and projection of vertex arrays. Single precision.
#pragma once

#include "tarvo/render3d/polygon.h"

namespace morwenfall
{

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Maps p to (row[0] . p + t[0], row[1] . p + t[1], row[2] . p + t[2]); a new one is all zeros.
struct Matrix34 {
    float row[3][3] = {};
    float t[3] = {};

    // Rotation by angles a, b, c (in 1/256 turn) scaled by s; the translation is not scaled.
    void setRotation(float s, float a, float b, float c, float tx, float ty, float tz);
    // View from eye along direction with up, followed by a perspective of field of view fov
    // (1/256 turn) and aspect; view-space depth comes out positive in front of the eye.
    void setLookAt(const Vector3& eye, const Vector3& direction, const Vector3& up, float fov,
                   float aspect);
    // out = second applied after first; out may be first or second.
    static void compose(const Matrix34& first, const Matrix34& second, Matrix34& out);
    Vector3 transformPoint(float x, float y, float z) const;
};

struct Viewport {
    float scaleX = 0.0f;
    float scaleY = 0.0f;
    float centerX = 0.0f;
    float centerY = 0.0f;
};

// Angles and their change per tick, in 1/256 turn, as given to setRotation.
struct SpinState {
    float angles[3] = {};
    float rates[3] = {};
};

// Writes only x, y and z of each out vertex.
void transformVertices(const Matrix34& m, const tarvo::Vertex3d* in, tarvo::Vertex3d* out,
                       int count);
// Perspective divide and viewport mapping; writes only x and y of each out vertex, so the
// depth stays with the vertex when in and out are the same array.
void projectVertices(const Viewport& viewport, const tarvo::Vertex3d* in, tarvo::Vertex3d* out,
                     int count);

} // namespace morwenfall
