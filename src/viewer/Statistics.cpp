#include "viewer/Statistics.h"

#include <cmath>
#include <cstdio>

#include "model/TreeParams.h"

std::string FormatStatistics(const FrameStats& stats, const Camera& camera) {
    const double radians = static_cast<double>(camera.azimuth) * static_cast<double>(DegToRad);
    char text[512];
    std::snprintf(text, sizeof text,
                  "[Model]  Object: %d Nodes\r\n              Memory: %1.2f KB\r\n"
                  "[Scene]  Elevation: %3.1f Deg.\r\n              Pos.(%2.1f,%2.1f,%2.1f)\r\n"
                  "[Mesh.]  %7d Vertices\r\n              %7d Quadrangles",
                  stats.nodes, static_cast<double>(stats.memoryBytes) * 0.0009765625,
                  static_cast<double>(-camera.elevation), camera.z * std::sin(radians),
                  static_cast<double>(-camera.y), camera.z * std::cos(radians), stats.vertices + 50,
                  stats.quadrangles + 22);
    return text;
}
