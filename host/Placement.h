// A placement in space, x' = R (S x) + T, as a 3 x 4 matrix in double
// precision: what the export and the report compose down a hierarchy.
#ifndef TESSARO_HOST_PLACEMENT_H
#define TESSARO_HOST_PLACEMENT_H

namespace tessaro {

struct Placement {
  double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

  // The placed coordinate i of the point (x, y, z).
  double Row(int i, double x, double y, double z) const { return m[i][0] * x + m[i][1] * y + m[i][2] * z + m[i][3]; }
  Placement Then(const Placement &local) const {  // this * local
    Placement r;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 4; ++j)
        r.m[i][j] = m[i][0] * local.m[0][j] + m[i][1] * local.m[1][j] + m[i][2] * local.m[2][j] + (j == 3 ? m[i][3] : 0);
    return r;
  }
};

}  // namespace tessaro

#endif
