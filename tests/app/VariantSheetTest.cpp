// The contact sheet of --variants: its layout, and the program's picture cell by cell
// against the frames drawn here for each seed with the camera framed on that tree.
#include <gtest/gtest.h>

#include <QImage>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "export/ContactSheet.h"
#include "export/LabelFont.h"
#include "export/PngEncoder.h"
#include "model/Presets.h"
#include "model/TreeModel.h"
#include "model/TreeSession.h"
#include "platform/Platform.h"
#include "platform/QtPlatform.h"
#include "viewer/Framing.h"
#include "viewer/StillFrame.h"

namespace {

TEST(VariantSheetTest, CellsFillAnAboutSquareGridWithinTheLargestPicture) {
    const SheetLayout five = LayOutSheet(5, 540, 350, 4096);
    EXPECT_EQ(five.columns, 3);
    EXPECT_EQ(five.rows, 2);
    EXPECT_EQ(five.cellWidth, 540);
    EXPECT_EQ(five.cellHeight, 350);
    // Eight cells of 540 would be 4320 wide: all are scaled by 4096 / 4320.
    const SheetLayout full = LayOutSheet(64, 540, 350, 4096);
    EXPECT_EQ(full.Width(), 4096);
    EXPECT_EQ(full.Height(), 8 * 331);
    for (int count = 1; count <= 64; ++count) {
        for (const auto& [w, h] : {std::pair{540, 350}, {4096, 4096}, {4096, 1}, {1, 4096}}) {
            const SheetLayout layout = LayOutSheet(count, w, h, 4096);
            SCOPED_TRACE(std::to_string(count) + " cells of " + std::to_string(w) + "x" +
                         std::to_string(h));
            EXPECT_GE(layout.columns * layout.columns, count);
            EXPECT_LT((layout.columns - 1) * (layout.columns - 1), count);
            EXPECT_GE(layout.columns * layout.rows, count);
            EXPECT_LT(layout.columns * (layout.rows - 1), count);
            EXPECT_LE(layout.Width(), 4096);
            EXPECT_LE(layout.Height(), 4096);
            EXPECT_GE(layout.cellWidth, 1);
            EXPECT_GE(layout.cellHeight, 1);
        }
    }
}

// RGB of a frame drawn here, the top row first.
RasterImage Draw(const Camera& camera, const TreeModel& model, const TreeParams& params, int width,
                 int height) {
    StillFrame frame;
    frame.camera = camera;
    frame.model = &model;
    frame.params = params;
    frame.width = width;
    frame.height = height;
    frame.overlay = false;
    std::vector<uint8_t> rgba;
    EXPECT_TRUE(RenderStillFrame(frame, rgba).Ok());
    return FromGlReadback(rgba, width, height);
}

const uint8_t* At(const QImage& image, int x, int y) {
    return image.constScanLine(y) + 3 * x;
}

const uint8_t* At(const RasterImage& image, int x, int y) {
    return image.pixels.data() + 3 * (static_cast<size_t>(y) * image.width + x);
}

bool Same(const uint8_t* a, const uint8_t* b) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

TEST(VariantSheetTest, EachCellShowsItsTreeWholeAsTheViewerFramesItAndNamesItsSeed) {
    constexpr int Width = 400, Height = 300, Count = 5;
    constexpr uint32_t First = 4294967291u; // the last five seeds there are
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("dendrova-variant-sheet-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string sheetPath = (folder / "sheet.png").string();
    const std::string command = std::string(DENDROVA_BINARY) +
                                " --preset Fountain --seed 4294967291 --variants 5 --size 400x300" +
                                " --render " + sheetPath;
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    QImage sheet(QString::fromStdString(sheetPath));
    std::filesystem::remove_all(folder);
    ASSERT_EQ(sheet.width(), 3 * Width);
    ASSERT_EQ(sheet.height(), 2 * Height);
    EXPECT_EQ(sheet.text("Software"), "Dendrova");
    EXPECT_EQ(sheet.text("Seeds"), "4294967291, 4294967292, 4294967293, 4294967294, 4294967295");
    sheet = sheet.convertToFormat(QImage::Format_RGB888);

    QtPlatform platform;
    SetPlatform(&platform);
    const TreeParams params = FindPreset("Fountain")->params;
    const TreeModel bare;
    std::vector<std::vector<bool>> letters; // the white pixels of each label
    for (int i = 0; i < Count; ++i) {
        const uint32_t seed = First + static_cast<uint32_t>(i);
        SCOPED_TRACE("seed " + std::to_string(seed));
        TreeSession session(params, seed);
        session.Regrow();
        const Camera camera =
            FrameTree(session.model(), params, Camera{}, static_cast<double>(Height) / Width);
        const RasterImage tree = Draw(camera, session.model(), params, Width, Height);
        const RasterImage ground = Draw(camera, bare, params, Width, Height);
        const int left = (i % 3) * Width, top = (i / 3) * Height;
        // The label: a font pixel of 2, 6 pixels from the cell's lower right corner.
        const std::string label = "seed " + std::to_string(seed);
        const int labelLeft = Width - 6 - LabelWidth(label, 2);
        const int labelTop = Height - 6 - LabelHeight(2);

        int differing = 0, treePixels = 0, white = 0;
        std::vector<bool> mask;
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                const uint8_t* shown = At(sheet, left + x, top + y);
                const bool inLabel =
                    x >= labelLeft && x < Width - 6 && y >= labelTop && y < Height - 6;
                const bool isTree = !Same(At(tree, x, y), At(ground, x, y));
                treePixels += isTree;
                if (inLabel) {
                    const bool letter = shown[0] == 255 && shown[1] == 255 && shown[2] == 255;
                    white += letter;
                    mask.push_back(letter);
                } else {
                    differing += !Same(shown, At(tree, x, y));
                }
                // The whole tree and its shadow are in the cell: none of it at its sides
                // or its top.
                if (isTree && (x == 0 || x == Width - 1 || y == 0)) {
                    ADD_FAILURE() << "the tree reaches the cell's edge at " << x << ", " << y;
                    return;
                }
            }
        }
        EXPECT_EQ(differing, 0) << "pixels of the cell that are not the framed frame";
        EXPECT_GT(treePixels, Width * Height / 50);
        EXPECT_GT(white, 100) << "no lettering in the label";
        letters.push_back(mask);
        // Sky along the top edge: light and blue.
        for (int x = 0; x < Width; ++x) {
            const uint8_t* sky = At(sheet, left + x, top);
            ASSERT_TRUE(sky[2] > sky[0] && sky[2] >= sky[1] && sky[2] > 150)
                << "no sky at " << x << " of the top edge";
        }
    }
    SetPlatform(nullptr);
    for (int i = 1; i < Count; ++i) {
        EXPECT_NE(letters[i], letters[i - 1]) << "labels " << i - 1 << " and " << i << " alike";
    }
    // The sixth cell holds no tree.
    for (int y = Height; y < 2 * Height; ++y) {
        for (int x = 2 * Width; x < 3 * Width; ++x) {
            const uint8_t* empty = At(sheet, x, y);
            ASSERT_TRUE(empty[0] == ContactSheet::EmptyGrey &&
                        empty[1] == ContactSheet::EmptyGrey && empty[2] == ContactSheet::EmptyGrey);
        }
    }
}

} // namespace
