#pragma once

#include <QString>

#include <string>

// Where the viewer's P and E keys put their files. Started from a shell that is the
// working folder. Started from the menu entry, whose launcher runs the program in its own
// configuration folder (hidden, and only for its settings), it is the user's pictures
// folder instead, or the home folder when there is none.

// The choice for these folders (empty ones count as missing); the result's bytes are the
// folder's name on disk.
std::string ChooseOutputFolder(const QString& working, const QString& configFolder,
                               const QString& pictures, const QString& home);

// The program's configuration folder as the menu launcher finds it: $XDG_CONFIG_HOME
// (only an absolute one) or ~/.config, then "dendrova".
QString ConfigurationFolder();

// The choice for this process.
std::string OutputFolderForThisRun();
