// The polygon stage's matrix maths against values worked out by hand.
#include "demo/matrix.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{

const float kTolerance = 1e-5f;

void expectPoint(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, kTolerance);
    EXPECT_NEAR(actual.y, expected.y, kTolerance);
    EXPECT_NEAR(actual.z, expected.z, kTolerance);
}

void expectSameMatrix(const Matrix34& actual, const Matrix34& expected)
{
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR(actual.row[i][j], expected.row[i][j], kTolerance) << i << "," << j;
        }
        EXPECT_NEAR(actual.t[i], expected.t[i], kTolerance) << i;
    }
}

Matrix34 rotation(float s, float a, float b, float c, float tx, float ty, float tz)
{
    Matrix34 m;
    m.setRotation(s, a, b, c, tx, ty, tz);
    return m;
}

} // namespace

TEST(Matrix34, QuarterTurnsAboutEachAxisScaleRowsButNotTranslation)
{
    struct Row {
        float s, a, b, c;
        Vector3 translation, point, expected;
    };
    // A quarter turn is 64 steps: (x, y, z) goes to (x, z, -y) about a, (-z, y, x) about b and
    // (y, -x, z) about c, before scaling and translation.
    const Row rows[] = {
        {1.0f, 64, 0, 0, {}, {1, 2, 3}, {1, 3, -2}},
        {1.0f, 0, 64, 0, {}, {1, 2, 3}, {-3, 2, 1}},
        {1.0f, 0, 0, 64, {}, {1, 2, 3}, {2, -1, 3}},
        {2.0f, 0, 0, 64, {10, 20, 30}, {1, 2, 3}, {14, 18, 36}},
        {0.5f, 128, 0, 0, {-1, 0, 1}, {4, 6, 8}, {1, -3, -3}},
        {1.0f, 256, 256, 256, {}, {5, -7, 9}, {5, -7, 9}},
        {0.8f, 0, 0, 0, {-16, 16, 0}, {32, 32, -32}, {9.6f, 41.6f, -25.6f}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "s " << row.s << " angles " << row.a << " " << row.b << " " << row.c);
        const Matrix34 m = rotation(row.s, row.a, row.b, row.c, row.translation.x,
                                    row.translation.y, row.translation.z);
        expectPoint(m.transformPoint(row.point.x, row.point.y, row.point.z), row.expected);
    }
}

TEST(Matrix34, RotationTurnsAboutCThenBThenA)
{
    const float angles[][3] = {{16, 32, 48}, {-5.5f, 100, 7.25f}, {200, -64, 31}};
    for (const auto& angle : angles) {
        SCOPED_TRACE(testing::Message() << angle[0] << " " << angle[1] << " " << angle[2]);
        Matrix34 expected;
        Matrix34::compose(rotation(1.0f, 0, 0, angle[2], 0, 0, 0),
                          rotation(1.0f, 0, angle[1], 0, 0, 0, 0), expected);
        Matrix34::compose(expected, rotation(1.5f, angle[0], 0, 0, 3, -4, 5), expected);
        expectSameMatrix(rotation(1.5f, angle[0], angle[1], angle[2], 3, -4, 5), expected);
    }
}

TEST(Matrix34, ComposeAppliesSecondAfterFirstEvenWhenOutIsAnOperand)
{
    const Matrix34 first = rotation(2.0f, 0, 0, 64, 1, 2, 3);
    const Matrix34 second = rotation(1.0f, 64, 0, 0, 10, 0, -5);
    const Vector3 points[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-3, 7, 2}};

    Matrix34 fresh;
    Matrix34::compose(first, second, fresh);
    Matrix34 outIsFirst = first;
    Matrix34::compose(outIsFirst, second, outIsFirst);
    Matrix34 outIsSecond = second;
    Matrix34::compose(first, outIsSecond, outIsSecond);

    for (const Vector3& p : points) {
        const Vector3 once = first.transformPoint(p.x, p.y, p.z);
        const Vector3 twice = second.transformPoint(once.x, once.y, once.z);
        expectPoint(fresh.transformPoint(p.x, p.y, p.z), twice);
        expectPoint(outIsFirst.transformPoint(p.x, p.y, p.z), twice);
        expectPoint(outIsSecond.transformPoint(p.x, p.y, p.z), twice);
    }
    // (1, 0, 0) -> 2 * (0, -1, 0) + (1, 2, 3) = (1, 0, 3) -> (1, 3, 0) + (10, 0, -5)
    expectPoint(fresh.transformPoint(1, 0, 0), {11, 3, -5});
}

TEST(Matrix34, LookAtGivesCameraSpaceWithPositiveDepth)
{
    const double root2 = std::sqrt(2.0);
    const float cot22_5 = static_cast<float>(1.0 + root2); // tan of 90 - 45/2 degrees
    const float depth = static_cast<float>(96.0 * root2);
    const float side = static_cast<float>(16.0 * root2);

    struct Row {
        Vector3 eye, direction, up;
        float fov, aspect;
        Vector3 point, expected; // expected: (T * right, -T * aspect * up, distance ahead)
    };
    const Row rows[] = {
        // Unnormalised direction and an up that is neither unit nor square to it.
        {{0, 0, 10}, {0, 0, -5}, {0, 2, 7}, 64, 1.0f, {1, 2, 3}, {1, -2, 7}},
        {{0, 0, 10}, {0, 0, -5}, {0, 2, 7}, 32, 2.0f, {1, 2, 3}, {cot22_5, -4 * cot22_5, 7}},
        {{5, 0, 0}, {1, 0, 0}, {0, 0, 3}, 64, 1.0f, {9, -1, 2}, {1, -2, 4}},
        // The polygon stage's camera: level with the origin, looking at it from 96 sqrt 2 away.
        {{96, 96, 0}, {-1, -1, 0}, {0, 0, 1}, 64, 4.0f / 3.0f, {0, 0, 0}, {0, 0, depth}},
        {{96, 96, 0}, {-1, -1, 0}, {0, 0, 1}, 64, 4.0f / 3.0f, {0, 0, 12}, {0, -16, depth}},
        {{96, 96, 0}, {-1, -1, 0}, {0, 0, 1}, 64, 4.0f / 3.0f, {-16, 16, 0}, {side, 0, depth}},
        {{96, 96, 0}, {-1, -1, 0}, {0, 0, 1}, 64, 4.0f / 3.0f, {16, 16, 0}, {0, 0, depth - side}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "fov " << row.fov << " aspect " << row.aspect);
        Matrix34 m;
        m.setLookAt(row.eye, row.direction, row.up, row.fov, row.aspect);
        expectPoint(m.transformPoint(row.point.x, row.point.y, row.point.z), row.expected);
    }
}

TEST(VertexArrays, TransformAndProjectWriteOnlyTheirFields)
{
    Vertex3d in[3];
    in[0] = {0, 0, 10, 1, 2, 0xFF112233};
    in[1] = {10, -5, 20, 3, 4, 0xFF445566};
    in[2] = {-30, 6, 15, 5, 6, 0xFF778899};
    Vertex3d out[3];
    for (Vertex3d& v : out) {
        v = {-1, -1, -1, 7, 8, 0xDEADBEEF};
    }

    const Matrix34 shift = rotation(1.0f, 0, 0, 0, 0, 0, 5);
    transformVertices(shift, in, out, 3);
    const Viewport viewport = {160, 120, 160, 120};
    projectVertices(viewport, out, out, 3);

    // x' = x / z * 160 + 160, y' = y / z * 120 + 120, with z moved back by 5.
    const float expected[3][3] = {{160, 120, 15}, {224, 96, 25}, {-80, 156, 20}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        expectPoint({out[i].x, out[i].y, out[i].z},
                    {expected[i][0], expected[i][1], expected[i][2]});
        EXPECT_EQ(out[i].u, 7.0f);
        EXPECT_EQ(out[i].v, 8.0f);
        EXPECT_EQ(out[i].color, 0xDEADBEEFu);
    }

    // Projecting into another array leaves its depth alone.
    Vertex3d projected[1];
    projected[0].z = 99;
    projectVertices(viewport, in + 1, projected, 1);
    EXPECT_NEAR(projected[0].x, 240.0f, kTolerance);
    EXPECT_NEAR(projected[0].y, 90.0f, kTolerance);
    EXPECT_EQ(projected[0].z, 99.0f);
}
