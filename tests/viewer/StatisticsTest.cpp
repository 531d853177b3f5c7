#include <gtest/gtest.h>

#include "viewer/Statistics.h"

TEST(Statistics, DefaultCameraReadOut) {
    FrameStats stats;
    const std::string text = FormatStatistics(stats, Camera{});
    EXPECT_EQ(text, "[Model]  Object: 0 Nodes\r\n"
                    "              Memory: 0.00 KB\r\n"
                    "[Scene]  Elevation: 10.0 Deg.\r\n"
                    "              Pos.(8.0,11.8,0.6)\r\n"
                    "[Mesh.]       50 Vertices\r\n"
                    "                   22 Quadrangles");
}

TEST(Statistics, CountsOfBothPassesAndSignedElevation) {
    // Five segments, four leaves and two chains, drawn twice.
    FrameStats stats;
    stats.nodes = 2 * (5 + 4 + 2);
    stats.memoryBytes = 2 * (80 * 5 + 16 * 4 + 16 * 2);
    stats.vertices = 2 * (12 * 5 + 4 * 4);
    stats.quadrangles = 2 * (6 * 5 + 4);
    Camera camera;
    camera.elevation = -30.0f;
    const std::string text = FormatStatistics(stats, camera);
    EXPECT_NE(text.find("Object: 22 Nodes"), std::string::npos) << text;
    EXPECT_NE(text.find("Memory: 0.97 KB"), std::string::npos) << text;
    EXPECT_NE(text.find("Elevation: 30.0 Deg."), std::string::npos) << text;
    EXPECT_NE(text.find("     202 Vertices"), std::string::npos) << text;
    EXPECT_NE(text.find("      90 Quadrangles"), std::string::npos) << text;
    camera.elevation = 5.0f;
    EXPECT_NE(FormatStatistics(stats, camera).find("Elevation: -5.0 Deg."), std::string::npos);
}
