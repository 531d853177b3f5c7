#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include "base/Failure.h"

namespace picgen {

// Scene pictures, as they are stored (24-bit RGB, rows as the texture loader reads them).
QImage MakeBark();   // 64 x 128, tiles in both directions
QImage MakeLeaf();   // 128 x 128, leaf in red/green, alpha mask in blue, stem at the top
QImage MakeSky();    // 256 x 64, stored upside down: tree line in the top rows
QImage MakeGround(); // 128 x 128, tiles in both directions

// Overlay pictures, stored in the overlay channel layout and flipped vertically.
QImage MakeButtonPicture(); // 256 x 128
QImage MakeHelpPicture();   // 256 x 256

// The application icon, size x size with alpha, and the same drawing as an SVG file.
QImage MakeIcon(int size);
Result<> WriteIconSvg(const QString& path);

// The sizes the icon is installed at for desktop menus, each as icons/dendrova-SIZE.png
// beside icons/dendrova.svg.
inline constexpr int kDesktopIconSizes[] = {16, 32, 48, 64, 128, 256};

// The ceiling colour the top of the sky wall fades into.
constexpr int kCeilingRed = 24;
constexpr int kCeilingGreen = 60;
constexpr int kCeilingBlue = 107;

// One piece of an overlay picture: where it lies in the picture as shown on screen and
// the size it is drawn at.
struct OverlayPiece {
    QRect source;
    QSize drawn;
};
inline const OverlayPiece kCreditStrip{QRect(0, 0, 37, 128), QSize(30, 200)};
inline const OverlayPiece kTitleBanner{QRect(37, 0, 219, 61), QSize(220, 60)};
inline const OverlayPiece kButtonBar{QRect(44, 61, 212, 67), QSize(200, 60)};
inline const OverlayPiece kHelpLegend{QRect(0, 155, 256, 101), QSize(256, 101)};
inline const OverlayPiece kCreditsPanel{QRect(0, 0, 255, 155), QSize(300, 120)};

// Turns a picture designed as it must appear on screen (ARGB, displayable colours have
// red == green) into the stored form: red and green of the display go to R, blue to G,
// alpha to B, and the rows are flipped. Fully transparent pixels take the colour of the
// nearest visible pixel so that linear filtering draws no fringe.
QImage EncodeOverlay(const QImage& screen);
// The inverse: what the overlay shows, as ARGB in screen orientation.
QImage DecodeOverlay(const QImage& stored);

// Writes every picture and the icons into a folder, the desktop icons into its icons/. Fails
// at the first file that cannot be written, naming it.
Result<> WriteAllPictures(const QString& folder);

// Writes PNG previews of what the user sees into a folder.
Result<> WritePreviews(const QString& folder);

// The failure for a file or folder that cannot be written, naming it quoted.
Failure CannotWrite(const char* what, const QString& path);

} // namespace picgen
