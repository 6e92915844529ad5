// The polygon stage's matrix maths against values worked out by hand.
#include "demo/matrix.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace morwenfall;
using namespace tarvo;

namespace
{

void expectPoint(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

Matrix34 rotation(float s, float a, float b, float c, float tx = 0, float ty = 0, float tz = 0)
{
    Matrix34 m;
    m.setRotation(s, a, b, c, tx, ty, tz);
    return m;
}

TEST(Matrix34, QuarterTurnsAboutEachAxisScaleRowsButNotTranslation)
{
    struct Row {
        float s, a, b, c;
        Vector3 translation, point, expected;
    };
    // A quarter turn is 64 steps: (x, y, z) goes to (x, z, -y) about a, (-z, y, x) about b and
    // (y, -x, z) about c, before scaling and translation.
    const Row rows[] = {{1.0f, 64, 0, 0, {}, {1, 2, 3}, {1, 3, -2}},
                        {1.0f, 0, 64, 0, {}, {1, 2, 3}, {-3, 2, 1}},
                        {1.0f, 0, 0, 64, {}, {1, 2, 3}, {2, -1, 3}},
                        {2.0f, 0, 0, 64, {10, 20, 30}, {1, 2, 3}, {14, 18, 36}},
                        {0.5f, 128, 0, 0, {-1, 0, 1}, {4, 6, 8}, {1, -3, -3}}};
    for (const auto& [s, a, b, c, t, p, expected] : rows) {
        SCOPED_TRACE(testing::Message() << s << " " << a << " " << b << " " << c);
        expectPoint(rotation(s, a, b, c, t.x, t.y, t.z).transformPoint(p.x, p.y, p.z), expected);
    }
}

TEST(Matrix34, ComposeTurnsAboutCThenBThenAAndAllowsOutToBeAnOperand)
{
    // Turning about all three axes at once equals composing the single turns in that order.
    const Matrix34 all = rotation(1.5f, 16, 32, 48, 3, -4, 5);
    Matrix34 byParts;
    Matrix34::compose(rotation(1.0f, 0, 0, 48), rotation(1.0f, 0, 32, 0), byParts);
    Matrix34::compose(byParts, rotation(1.5f, 16, 0, 0, 3, -4, 5), byParts);

    const Matrix34 first = rotation(2.0f, 0, 0, 64, 1, 2, 3);
    const Matrix34 second = rotation(1.0f, 64, 0, 0, 10, 0, -5);
    Matrix34 outIsFirst = first, outIsSecond = second;
    Matrix34::compose(outIsFirst, second, outIsFirst);
    Matrix34::compose(first, outIsSecond, outIsSecond);

    for (const Vector3& p : {Vector3{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-3, 7, 2}}) {
        expectPoint(byParts.transformPoint(p.x, p.y, p.z), all.transformPoint(p.x, p.y, p.z));
        const Vector3 once = first.transformPoint(p.x, p.y, p.z);
        const Vector3 twice = second.transformPoint(once.x, once.y, once.z);
        expectPoint(outIsFirst.transformPoint(p.x, p.y, p.z), twice);
        expectPoint(outIsSecond.transformPoint(p.x, p.y, p.z), twice);
    }
}

TEST(Matrix34, LookAtGivesCameraSpaceWithPositiveDepth)
{
    const float r2 = static_cast<float>(std::sqrt(2.0));        // the square root of 2
    const float cot = static_cast<float>(1.0 + std::sqrt(2.0)); // T at 45 degrees: cot 22.5
    struct Row {
        Vector3 eye, direction, up;
        float fov, aspect;
        Vector3 point, expected; // (T * right, -T * aspect * up, distance ahead)
    };
    const Row rows[] = {
        // Unnormalised direction and an up that is neither unit nor square to it.
        {{0, 0, 10}, {0, 0, -5}, {0, 2, 7}, 64, 1.0f, {1, 2, 3}, {1, -2, 7}},
        {{0, 0, 10}, {0, 0, -5}, {0, 2, 7}, 32, 2.0f, {1, 2, 3}, {cot, -4 * cot, 7}},
        // A diagonal view, 96 sqrt 2 from the origin: the polygon stage's camera.
        {{96, 96, 0}, {-1, -1, 0}, {0, 0, 1}, 64, 1.0f, {-16, 16, 12}, {16 * r2, -12, 96 * r2}},
    };
    for (const auto& [eye, direction, up, fov, aspect, p, expected] : rows) {
        SCOPED_TRACE(testing::Message() << "fov " << fov << " aspect " << aspect);
        Matrix34 m;
        m.setLookAt(eye, direction, up, fov, aspect);
        expectPoint(m.transformPoint(p.x, p.y, p.z), expected);
    }
}

} // namespace
