#pragma once

#include <cmath>

// A place in the tree, as the drawing's matrix stack would hold it below the camera: a
// rotation R, a uniform scale and a translation t, so a local point v lands at
// t + scale * R v. Built from the same rotations, translations and uniform scales the
// drawing applies (in the same order), but composed in double precision.
struct MeshFrame {
    double r[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}; // r[row][column]
    double t[3] = {0, 0, 0};
    double scale = 1.0;

    // Turns the frame by `degrees` about the (normalised) local axis (x, y, z), right-handed,
    // as a rotation appended to the matrix would.
    void Rotate(double degrees, double x, double y, double z) {
        const double len = std::sqrt(x * x + y * y + z * z);
        if (len == 0.0) {
            return;
        }
        x /= len;
        y /= len;
        z /= len;
        const double a = degrees * (M_PI / 180.0);
        const double c = std::cos(a), s = std::sin(a), k = 1.0 - c;
        const double m[3][3] = {{x * x * k + c, x * y * k - z * s, x * z * k + y * s},
                                {y * x * k + z * s, y * y * k + c, y * z * k - x * s},
                                {x * z * k - y * s, y * z * k + x * s, z * z * k + c}};
        double out[3][3];
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                out[i][j] = r[i][0] * m[0][j] + r[i][1] * m[1][j] + r[i][2] * m[2][j];
            }
        }
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                r[i][j] = out[i][j];
            }
        }
    }

    // Moves the origin by `length` along the local y axis.
    void TranslateY(double length) {
        for (int i = 0; i < 3; ++i) {
            t[i] += scale * r[i][1] * length;
        }
    }

    void Scale(double k) { scale *= k; }

    // A local point in the tree's frame.
    void Point(const float v[3], float out[3]) const {
        for (int i = 0; i < 3; ++i) {
            out[i] = static_cast<float>(t[i] +
                                        scale * (r[i][0] * v[0] + r[i][1] * v[1] + r[i][2] * v[2]));
        }
    }

    // The point v and the normal v at once (a tube's bottom corner is its own normal).
    void PointAndNormal(const float v[3], float point[3], float normal[3]) const {
        for (int i = 0; i < 3; ++i) {
            const double rv = r[i][0] * v[0] + r[i][1] * v[1] + r[i][2] * v[2];
            point[i] = static_cast<float>(t[i] + scale * rv);
            normal[i] = static_cast<float>(rv / scale);
        }
    }

    // A local normal in the tree's frame: through the inverse transpose of the linear part,
    // which for a rotation with a uniform scale is R / scale. Not normalised, so that the
    // lighting sees the same length the matrix stack would give it.
    void Normal(const float n[3], float out[3]) const {
        for (int i = 0; i < 3; ++i) {
            out[i] = static_cast<float>((r[i][0] * n[0] + r[i][1] * n[1] + r[i][2] * n[2]) / scale);
        }
    }
};
